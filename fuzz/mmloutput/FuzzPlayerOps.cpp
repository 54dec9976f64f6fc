// Drives the host-driven player with any sequence of exports, cursor moves, failed locks and
// lost buffers: the write offsets must stay inside their buffers, every lock inside its
// buffer, and the effect's end mark must be an offset of the effect buffer.
#include <cstdlib>

#include "FakeOutput.h"

using namespace tonwerkel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FakeStreamDevice device;
    device.record = false;
    Effects effects;
    for (int n = 0; n < kSoundCount; ++n)
        effects[n] = n % 23;  // 0 = nothing to play
    auto source = std::make_unique<ScriptedSource>(effects);
    TMMLPlay2 player(false, std::move(source));
    player.SetDevice(&device);
    uint32_t bgmCursor = 0, effectCursor = 0;

    size_t at = 0;
    auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    while (at < size) {
        const uint8_t op = next();
        const uint8_t arg = next();
        switch (op % 14) {
            case 0:
                player.PlayBGM();
                break;
            case 1:
                player.StopBGM();
                break;
            case 2:
                player.ResumeBGM();
                break;
            case 3:
                player.PlaySound(static_cast<int8_t>(arg));
                break;
            case 4:
                player.StopSound();
                break;
            case 5:
                player.Store(arg % 40 - 4);
                break;
            case 6:  // the song cursor moves on, up to a whole buffer
                bgmCursor = (bgmCursor + arg * 700u) % kBgmBufferBytes;
                device.bgm->SetCursor(bgmCursor);
                break;
            case 7:
                effectCursor = (effectCursor + arg * 350u) % kEffectBufferBytes;
                device.effect->SetCursor(effectCursor);
                break;
            case 8: {
                const uint8_t text[] = {arg};
                player.LoadBGMFromMem(text, arg % 2);
                break;
            }
            case 9:
                player.LoadSoundFromMem(&arg, 1);
                break;
            case 10:
                player.SetBGMVolume((arg - 128) * 100);
                break;
            case 11:
                (arg & 1 ? device.bgm : device.effect)->FailNextWrites(arg % 3);
                break;
            case 12:
                device.Restore();
                break;
            case 13:
                player.Load(arg & 1 ? "x.mml" : "x.DAT");
                break;
        }
        if (TMMLPlay2TestAccess::BgmWrite(player) >= kBgmBufferBytes ||
            TMMLPlay2TestAccess::EffectWrite(player) >= kEffectBufferBytes ||
            TMMLPlay2TestAccess::EffectEndMark(player) >=
                static_cast<int32_t>(kEffectBufferBytes)) {
            std::abort();
        }
    }
    return 0;
}
