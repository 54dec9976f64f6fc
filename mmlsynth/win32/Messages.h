// The library's string table: messages of its internal exceptions (Shift_JIS on the build).
// "%s" is filled with the name of what failed.
#pragma once

namespace tonwerkel {

inline constexpr char kCannotInitialize[] = "%s を初期化できません";
inline constexpr char kCannotCreate[] = "%s を作成できません";
inline constexpr char kNotCreated[] = "%s は作成されていません";
inline constexpr char kCannotLock[] = "%s をロックできません";
inline constexpr char kCannotLoad[] = "%s を読み込めません";

inline constexpr char kNameDirectSound[] = "DirectSound";
inline constexpr char kNameSoundBuffer[] = "サウンドバッファ";
inline constexpr char kNameBufferInterface[] = "IDirectSoundBuffer";
inline constexpr char kNameThread[] = "スレッド";

}  // namespace tonwerkel
