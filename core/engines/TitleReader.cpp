// The title reader's thread.
#include "engines/TitleReader.h"

#include <system_error>
#include <vector>

namespace hgf {

TitleReader::TitleReader(ReadTitle readTitle, std::function<void()> titlesChanged)
    : readTitle_(std::move(readTitle)), titlesChanged_(std::move(titlesChanged)) {}

TitleReader::~TitleReader() {
    Stop();
}

void TitleReader::Start(Playlist& list) {
    Stop();
    std::vector<Row> rows;
    const std::deque<PlaylistItem> items = list.Items();
    rows.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i)
        if (!items[i].isFolder) rows.push_back({static_cast<std::int32_t>(i), items[i].path});
    cancel_ = false;
    try {
        thread_ = std::thread(&TitleReader::Run, this, std::ref(list), std::move(rows));
    } catch (const std::system_error&) {
        // Without a thread the rows keep the titles the list gave them.
    }
}

void TitleReader::Stop() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
}

void TitleReader::Wait() {
    if (thread_.joinable()) thread_.join();
}

void TitleReader::Run(Playlist& list, std::vector<Row> rows) {
    for (const Row& row : rows) {
        if (cancel_) return;
        std::string title;
        if (!readTitle_(row.path, title) || title.empty()) continue;
        if (list.SetItemTitle(row.index, row.path, std::move(title)) && titlesChanged_)
            titlesChanged_();
    }
}

}  // namespace hgf
