#include "scheme/SlotEditing.h"

#include "audio/SoundKind.h"
#include "scheme/Scheme.h"
#include "scheme/SchemeFiles.h"

namespace scheme {

DropPlan PlanDrop(int slot, const std::vector<std::string>& paths, const std::vector<bool>& emptySlots) {
    DropPlan plan;
    for (const std::string& path : paths) {
        // Opening a scheme replaces the whole board: nothing else in the drop counts.
        if (IsSchemeFileName(path)) return {path, {}, 0};
    }
    if (slot < 0) return plan;
    int next = slot;  // the first sound goes into the slot under the pointer, full or not
    for (const std::string& path : paths) {
        if (!audio::IsSoundFileName(path)) continue;
        while (next < static_cast<int>(emptySlots.size()) && next != slot &&
               !emptySlots[static_cast<std::size_t>(next)])
            ++next;
        if (next >= static_cast<int>(emptySlots.size())) {
            ++plan.leftOut;
            continue;
        }
        plan.loads.emplace_back(next, path);
        ++next;
    }
    return plan;
}

std::string LeftOutMessage(int count) {
    return count == 1 ? "1 sound was left out: there was no empty slot left for it."
                      : std::to_string(count) + " sounds were left out: there were no empty slots left for them.";
}

SlotEditing::SlotEditing(board::Board& board, IUserDialogs& dialogs) : m_board(board), m_dialogs(dialogs) {}

void SlotEditing::SlotMenu(int slot) {
    const bool canPrelisten = m_board.hasMonitor() && m_board.slot(slot).loaded();
    RunSlotCommand(slot,
                   m_dialogs.TrackSlotMenu(slot, m_board.slot(slot).loop, m_board.prelistening(slot), canPrelisten));
}

void SlotEditing::RunSlotCommand(int slot, SlotCommand command) {
    switch (command) {
    case SlotCommand::Browse: Browse(slot); break;
    case SlotCommand::Loop: m_board.SetLoop(slot, !m_board.slot(slot).loop); break;
    case SlotCommand::Clear: m_board.ClearSlot(slot); break;
    case SlotCommand::Reload: ReloadSlot(m_board, slot); break;
    case SlotCommand::Rename: Rename(slot); break;
    case SlotCommand::Prelisten: m_board.Perform({board::Action::Prelisten, slot}); break;
    case SlotCommand::None: break;  // dismissed
    }
}

void SlotEditing::Browse(int slot) {
    // An empty name makes the slot name the sound after its file.
    if (const auto path = m_dialogs.ChooseFile(FileKind::Sound, "")) m_board.LoadSlot(slot, *path, "");
}

void SlotEditing::Rename(int slot) {
    if (!m_board.slot(slot).loaded()) return;
    std::string name = m_board.slot(slot).name;
    if (m_dialogs.EditName(name)) m_board.RenameSlot(slot, name);
}

void SlotEditing::DropFiles(int slot, const std::vector<std::string>& paths) {
    std::vector<bool> empty;
    for (int i = 0; i < board::kSlotCount; ++i) empty.push_back(m_board.slot(i).state == board::SlotState::Empty);
    const DropPlan plan = PlanDrop(slot, paths, empty);
    if (!plan.scheme.empty()) {
        LoadScheme(m_board, plan.scheme);
        return;
    }
    // As Browse... does: the sound named after its file.
    for (const auto& load : plan.loads) m_board.LoadSlot(load.first, load.second, "");
    if (plan.leftOut > 0) m_board.Tell(LeftOutMessage(plan.leftOut));
}

}  // namespace scheme
