#include "FileDialogFilters.h"

#include <array>
#include <string_view>

namespace hgf {
namespace {

constexpr std::array<FileFilter, 1> kMediaFilters{{
    {"対応する全てのファイル(15FileTypes)",
     "*.wma;*.wmv;*.asf;*.avi;*.wav;*.mpg;*.mpe;*.mpa;*.mp2;*.mp3;*.smf;*.mid;*.ogg;*.flac;*.opus"},
}};

constexpr std::array<FileFilter, 8> kPlaylistFilters{{
    {"対応する全てのプレイリストファイル(7FileTypes)",
     "*.spl;*.spf;*.spt;*.m3u;*.asx;*.m3u8;*.pls"},
    {"Harrowgladeforte Seriesプレイリスト(*.spl)", "*.spl"},
    {"Harrowgladeforte 1xプレイリスト(*.spf)", "*.spf"},
    {"Harrowgladeforte 1xテキストプレイリスト(*.spt)", "*.spt"},
    {"汎用プレイリスト(*.m3u)", "*.m3u"},
    {"WindowsMediaPlayer7再生リスト(*.asx)", "*.asx"},
    {"汎用プレイリスト UTF-8(*.m3u8)", "*.m3u8"},
    {"PLSプレイリスト(*.pls)", "*.pls"},
}};

constexpr std::array<FileFilter, 3> kSaveListFilters{{
    {"Harrowgladeforte Seriesプレイリスト(*.spl)", "*.spl"},
    {"汎用プレイリスト(*.m3u)", "*.m3u"},
    {"ＨＴＭＬ(*.htm)", "*.htm"},
}};

constexpr std::array<FileFilter, 1> kSmfConfigFilters{{
    {"SMFナイフコンフィグファイル(*.cfg)", "*.cfg"},
}};

}  // namespace

std::span<const FileFilter> FileDialogFilters(int kind) {
    switch (kind) {
        case FILE_DIALOG_MEDIA:
            return kMediaFilters;
        case FILE_DIALOG_PLAYLIST:
            return kPlaylistFilters;
        case FILE_DIALOG_SAVE_LIST:
            return kSaveListFilters;
        case FILE_DIALOG_SMF_CONFIG:
            return kSmfConfigFilters;
        default:
            return {};
    }
}

std::string FileDialogFilterText(int kind) {
    std::string text;
    for (const FileFilter& filter : FileDialogFilters(kind)) {
        text += filter.description;
        text += '\0';
        text += filter.pattern;
        text += '\0';
    }
    text += '\0';
    return text;
}

std::string WithSaveExtension(std::string name, int kind, int filterIndex) {
    std::span<const FileFilter> filters = FileDialogFilters(kind);
    if (filterIndex < 1 || static_cast<std::size_t>(filterIndex) > filters.size()) return name;
    std::string_view pattern = filters[filterIndex - 1].pattern;
    if (!pattern.starts_with("*.") || pattern.find(';') != std::string_view::npos) return name;
    std::string_view extension = pattern.substr(1);  // ".spl"
    if (name.find(extension) == std::string::npos) name += extension;
    return name;
}

}  // namespace hgf
