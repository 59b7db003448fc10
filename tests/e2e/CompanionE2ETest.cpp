// The Companion module's protocol layer (companion/src, run by node through
// companion/e2e/driver.js) against the real board over loopback: its actions
// fire slots the sink hears, its variables and feedbacks follow what plays,
// and after its unsubscribe the board tells it nothing more.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "BoardDriver.h"
#include "Udp.h"

namespace e2e {
namespace {

// The numbers of the driver's lines `var ID="N"` in order.
std::vector<double> Values(const std::string& output, const std::string& id) {
    std::vector<double> out;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("var " + id + "=\"", 0) == 0 && line.size() > id.size() + 7)
            out.push_back(std::atof(line.c_str() + id.size() + 6));
    return out;
}

TEST(CompanionE2E, TheModuleFiresSlotsShowsWhatPlaysAndUnsubscribes) {
    ASSERT_TRUE(InTestEnvironment()) << "run through scripts/with-test-env.sh";
    char pattern[] = "/tmp/clangster-e2e-companion-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern, port = std::to_string(20000 + (getpid() + 7) % 20000);
    WriteTone(dir + "/tone.wav", 4.0, 440);
    // The first name in the board's code page, 1252: it arrives as UTF-8.
    std::ofstream(dir + "/show.scheme", std::ios::binary)
        << ToWindowsPath(dir + "/tone.wav") << "|CAF\xC9 \xD1U|0.000000|0|0|0|\r\n"
        << ToWindowsPath(dir + "/tone.wav") << "|TWO|0.000000|0|0|0|\r\n";
    ASSERT_TRUE(ResetSettings());
    auto setting = [](const std::string& name, const std::string& value) {
        return RunCommand({"wine", "reg", "add", "HKCU\\Software\\Marrowick\\Clangster", "/v", name, "/d", value, "/f"});
    };
    ASSERT_EQ(setting("RemoteControl", "1").exitCode, 0);
    ASSERT_EQ(setting("RemotePort", port).exitCode, 0);
    auto board = StartWindows(ClangsterExe(), {ToWindowsPath(dir + "/show.scheme")});
    ASSERT_TRUE(board && WaitForWindow("^show - Clangster$", *board, 60)) << (board ? board->output() : "");
    ASSERT_TRUE(WaitUntil([&] { return UdpPortBound(std::stoi(port)); })) << "the board never listened at " << port;

    const std::string commands = dir + "/commands";
    ASSERT_EQ(mkfifo(commands.c_str(), 0600), 0);
    auto driver = Process::Start({"node", SourceDir() + "/companion/e2e/driver.js", "127.0.0.1", port, commands});
    int fifo = -1;
    ASSERT_TRUE(driver && WaitUntil([&] { return (fifo = open(commands.c_str(), O_WRONLY | O_NONBLOCK)) >= 0; }))
        << (driver ? driver->endReport() : "node did not start");
    fcntl(fifo, F_SETFL, 0);
    auto command = [&](const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(write(fifo, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    };
    auto shown = [&](const std::string& line) { return driver->output().find(line + "\n") != std::string::npos; };
    auto waitShown = [&](const std::string& line) {
        EXPECT_TRUE(WaitUntil([&] { return shown(line); })) << "never shown: " << line << "\n" << driver->output();
    };

    waitShown("status ok: Connected to 127.0.0.1:" + port);
    waitShown("var slot_1_name=\"CAF\u00c9 \u00d1U\"");
    waitShown("var scheme=\"show\"");
    waitShown("var connected=true");

    SinkCapture capture;
    ASSERT_TRUE(capture.start());
    command("action play {\"slot\":1}");
    EXPECT_TRUE(capture.waitForSound(-30, 0)) << "the sink heard nothing";
    waitShown("var slot_1_state=\"playing\"");
    std::vector<double> left;
    EXPECT_TRUE(WaitUntil([&] { return (left = Values(driver->output(), "slot_1_left")).size() >= 5; }));
    EXPECT_TRUE(std::is_sorted(left.rbegin(), left.rend()) && left.front() > left.back() && left.front() <= 4.0)
        << driver->output();
    waitShown("var slot_1_left_mss=\"0:03\"");
    command("action fade_all");
    waitShown("var slot_1_state=\"fading\"");

    // Unsubscribed, the driver hears nothing of the slot it fires next, which
    // a listener still subscribed hears playing.
    command("unsubscribe");
    waitShown("unsubscribed");
    const std::string witnessPort = std::to_string(std::stoi(port) + 1);
    auto witness = Process::Start({"timeout", "60", "oscdump", "-L", witnessPort});
    ASSERT_TRUE(witness && WaitUntil([&] { return UdpPortBound(std::stoi(witnessPort)); }));
    ASSERT_EQ(RunCommand({"oscsend", "127.0.0.1", port, "/clangster/subscribe", "i", witnessPort}).exitCode, 0);
    command("action play {\"slot\":2}");
    EXPECT_TRUE(WaitUntil([&] {
        const std::string heard = witness->output();
        std::size_t updates = 0;
        for (std::size_t at = 0; (at = heard.find("/clangster/slot/2/remaining", at)) != std::string::npos; ++at) ++updates;
        return heard.find("/clangster/slot/2/state s \"playing\"") != std::string::npos && updates >= 4;
    })) << witness->output();
    // The driver writes what reaches it after the unsubscribe as "datagram ADDRESS...".
    const std::string output = driver->output();
    std::istringstream after(output.substr(output.find("unsubscribed")));
    for (std::string line; std::getline(after, line);)
        EXPECT_FALSE(line.rfind("datagram ", 0) == 0 && line.find("/clangster/slot/2/") != std::string::npos)
            << "feedback went on after the unsubscribe:\n" << output;

    command("quit");
    close(fifo);
    EXPECT_EQ(driver->wait(30), 0) << driver->output();
    witness->kill();
    board->kill();
    ResetSettings();
    RunCommand({"rm", "-rf", dir});
}

}  // namespace
}  // namespace e2e
