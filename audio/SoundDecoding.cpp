#include "audio/SoundDecoding.h"

namespace audio {

namespace {
// What the sound card is handed: 8- or 16-bit mono or stereo with frames of
// the size those make.
bool Playable(const PcmLayout& layout) {
    const PcmFormat& f = layout.format;
    return (f.channels == 1 || f.channels == 2) && (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
           layout.validBitsPerSample == f.bitsPerSample && f.blockAlign == f.channels * f.bitsPerSample / 8 &&
           f.samplesPerSec > 0 && f.avgBytesPerSec == f.samplesPerSec * f.blockAlign;
}
}  // namespace

OpenedSound DecodeSound(const std::string& path, const std::vector<DecoderOpener>& decoders,
                        const SpoolFileMaker& makeFile, std::uint64_t memoryBytes) {
    OpenedSound sound;
    sound.error = SoundError::Undecodable;
    for (const DecoderOpener& open : decoders) {
        const std::unique_ptr<Decoder> decoder = open(path);
        if (!decoder || !Playable(decoder->Layout())) continue;
        // A decoder that took the file and failed is worth reporting over one
        // that did not take it; the next may still read it.
        sound.error = SoundError::DecodeFailed;
        PcmSpool spool(decoder->Layout(), makeFile, memoryBytes);
        std::vector<std::uint8_t> piece;
        Decoder::Step step;
        while ((step = decoder->Next(piece)) == Decoder::Step::Piece) {
            if (!piece.empty() && !spool.Append(piece.data(), piece.size())) {
                sound.error = SoundError::SpoolFailed;
                return sound;
            }
        }
        if (step == Decoder::Step::End && spool.Size() >= decoder->Layout().format.blockAlign) {
            sound.source = spool.Finish();
            sound.error = SoundError::None;
            return sound;
        }
    }
    return sound;
}

}  // namespace audio
