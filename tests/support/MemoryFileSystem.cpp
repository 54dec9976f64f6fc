#include "MemoryFileSystem.h"

#include <algorithm>
#include <cstring>

#include "platform/CodePage932.h"

namespace hgf::test {

struct MemoryFileSystem::Node {
    std::string name;
    bool isFolder = false;
    bool denied = false;
    bool locked = false;
    bool link = false;
    bool openForWriting = false;
    std::string title;        // as listed where it differs from the name
    bool unplayable = false;  // listed as opened by no name
    std::string contents;
    std::vector<std::unique_ptr<Node>> children;  // in the order added

    Node* Child(const std::string& childName) const {
        for (const auto& child : children) {
            if (child->name.size() != childName.size()) continue;
            bool same = true;
            for (std::size_t i = 0; i < childName.size() && same; ++i) {
                unsigned char a = child->name[i], b = childName[i];
                if (a >= 'A' && a <= 'Z') a += 32;
                if (b >= 'A' && b <= 'Z') b += 32;
                same = a == b;
            }
            if (same) return child.get();
        }
        return nullptr;
    }

    // The child named `childName`, added as an empty file or folder when missing.
    Node* ChildOrNew(const std::string& childName, bool folder) {
        if (Node* child = Child(childName)) return child;
        auto created = std::make_unique<Node>();
        created->name = childName;
        created->isFolder = folder;
        children.push_back(std::move(created));
        return children.back().get();
    }
};

namespace {

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> components;
    std::string current;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            if (!current.empty()) components.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) components.push_back(current);
    return components;
}

class MemoryEnumeration final : public DirectoryEnumeration {
  public:
    explicit MemoryEnumeration(std::vector<DirectoryEntry> entries)
        : entries_(std::move(entries)) {}
    bool Next(DirectoryEntry& entry) override {
        if (next_ >= entries_.size()) return false;
        entry = entries_[next_++];
        return true;
    }

  private:
    std::vector<DirectoryEntry> entries_;
    std::size_t next_ = 0;
};

}  // namespace

class MemoryInput final : public InputFile {
  public:
    MemoryInput(MemoryFileSystem& owner, std::string contents, bool tellsSize)
        : owner_(owner), contents_(std::move(contents)), tellsSize_(tellsSize) {
        ++owner_.openFiles_;
    }
    ~MemoryInput() override { --owner_.openFiles_; }
    std::size_t Read(void* buffer, std::size_t size) override {
        std::size_t count = std::min(size, contents_.size() - position_);
        std::memcpy(buffer, contents_.data() + position_, count);
        position_ += count;
        return count;
    }
    bool HasError() const override { return false; }
    std::optional<std::uint64_t> Size() override {
        if (!tellsSize_) return std::nullopt;
        return contents_.size();
    }
    bool Seek(std::uint64_t offset) override {
        // Past the end, like the platform's files: reads then return nothing.
        position_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, contents_.size()));
        return true;
    }

  private:
    MemoryFileSystem& owner_;
    std::string contents_;
    bool tellsSize_;
    std::size_t position_ = 0;
};

class MemoryOutput final : public OutputFile {
  public:
    MemoryOutput(MemoryFileSystem& owner, MemoryFileSystem::Node& file)
        : owner_(owner), file_(file) {
        ++owner_.openFiles_;
        file_.openForWriting = true;
    }
    ~MemoryOutput() override { Close(); }
    bool Write(const void* data, std::size_t size) override {
        if (closed_) return false;
        std::size_t fits = owner_.room_ ? std::min(size, *owner_.room_) : size;
        file_.contents.append(static_cast<const char*>(data), fits);
        if (owner_.room_) *owner_.room_ -= fits;
        if (fits < size) ok_ = false;
        return fits == size;
    }
    bool Close() override {
        if (!closed_) {
            closed_ = true;
            file_.openForWriting = false;
            --owner_.openFiles_;
            if (owner_.failClose_) ok_ = false;
        }
        return ok_;
    }

  private:
    MemoryFileSystem& owner_;
    MemoryFileSystem::Node& file_;
    bool closed_ = false;
    bool ok_ = true;
};

MemoryFileSystem::MemoryFileSystem() : root_(std::make_unique<Node>()) {
    root_->isFolder = true;
}
MemoryFileSystem::~MemoryFileSystem() = default;

MemoryFileSystem::Node* MemoryFileSystem::Find(const std::string& path) const {
    std::vector<std::string> components = Split(path);
    if (components.empty()) return nullptr;
    Node* node = root_.get();
    for (const std::string& component : components) {
        if (!node->isFolder) return nullptr;
        node = node->Child(component);
        if (!node) return nullptr;
    }
    return node;
}

MemoryFileSystem::Node* MemoryFileSystem::MakeFolder(const std::vector<std::string>& components) {
    Node* node = root_.get();
    for (const std::string& component : components) {
        node = node->ChildOrNew(component, true);
    }
    return node;
}

void MemoryFileSystem::AddFolder(const std::string& path) {
    MakeFolder(Split(path));
}

void MemoryFileSystem::AddFile(const std::string& path, std::string contents) {
    std::vector<std::string> components = Split(path);
    if (components.empty()) return;
    std::string name = components.back();
    components.pop_back();
    Node* folder = MakeFolder(components);
    folder->ChildOrNew(name, false)->contents = std::move(contents);
}

MemoryFileSystem::Node* MemoryFileSystem::ParentOf(const std::string& path,
                                                   std::string& name) const {
    std::vector<std::string> components = Split(path);
    if (components.empty()) return nullptr;
    name = components.back();
    Node* folder = root_.get();
    for (std::size_t i = 0; i + 1 < components.size() && folder; ++i)
        folder = folder->isFolder ? folder->Child(components[i]) : nullptr;
    return folder && folder->isFolder ? folder : nullptr;
}

bool MemoryFileSystem::Remove(const std::string& path) {
    std::string name;
    Node* folder = ParentOf(path, name);
    Node* victim = folder ? folder->Child(name) : nullptr;
    if (!victim || victim->openForWriting) return false;
    std::erase_if(folder->children, [victim](const auto& child) { return child.get() == victim; });
    return true;
}

bool MemoryFileSystem::Replace(const std::string& source, const std::string& target) {
    Node* from = Find(source);
    std::string name;
    Node* folder = ParentOf(target, name);
    if (failReplace_ || !from || from->isFolder || from->openForWriting || !folder) return false;
    Node* to = folder->Child(name);
    if (to == from) return true;
    if (to && (to->isFolder || to->openForWriting)) return false;
    to = folder->ChildOrNew(name, false);
    to->contents = std::move(from->contents);
    to->locked = false;
    return Remove(source);
}

void MemoryFileSystem::DenyFolder(const std::string& path) {
    if (Node* node = Find(path)) node->denied = true;
}

void MemoryFileSystem::MarkLink(const std::string& path) {
    if (Node* node = Find(path)) node->link = true;
}

void MemoryFileSystem::ListAs(const std::string& path, std::string title, bool opens) {
    if (Node* node = Find(path)) {
        node->title = std::move(title);
        node->unplayable = !opens;
    }
}

void MemoryFileSystem::LockFile(const std::string& path) {
    if (Node* node = Find(path)) node->locked = true;
}

std::optional<std::string> MemoryFileSystem::Contents(const std::string& path) const {
    Node* node = Find(path);
    if (!node || node->isFolder) return std::nullopt;
    return node->contents;
}

std::optional<FileAttributes> MemoryFileSystem::GetAttributes(const std::string& path) {
    Node* node = Find(path);
    if (!node) return std::nullopt;
    return FileAttributes{node->isFolder};
}

std::unique_ptr<DirectoryEnumeration> MemoryFileSystem::Enumerate(const std::string& folder) {
    Node* node = Find(folder);
    if (!node || !node->isFolder || node->denied) return nullptr;
    std::vector<DirectoryEntry> entries;
    if (Split(folder).size() > 1) {  // a drive root lists no "." and ".."
        entries.push_back({".", true, false, {}, false});
        entries.push_back({"..", true, false, {}, false});
    }
    for (const auto& child : node->children)
        entries.push_back(
            {child->name, child->isFolder, child->link, child->title, child->unplayable});
    return std::make_unique<MemoryEnumeration>(std::move(entries));
}

std::unique_ptr<InputFile> MemoryFileSystem::OpenRead(const std::string& path) {
    Node* node = Find(path);
    if (!node || node->isFolder || node->locked) return nullptr;
    return std::make_unique<MemoryInput>(*this, node->contents, !hideSizes_);
}

std::unique_ptr<OutputFile> MemoryFileSystem::Create(const std::string& path) {
    if (readOnly_) return nullptr;
    std::vector<std::string> components = Split(path);
    if (components.size() < 2) return nullptr;
    std::string name = components.back();
    components.pop_back();
    std::string parent;
    for (const std::string& component : components)
        parent += component + "\\";
    Node* folder = Find(parent);
    if (!folder || !folder->isFolder) return nullptr;
    Node* file = folder->Child(name);
    if (file && (file->isFolder || file->locked)) return nullptr;
    file = folder->ChildOrNew(name, false);
    file->contents.clear();
    return std::make_unique<MemoryOutput>(*this, *file);
}

std::optional<std::string> MemoryFileSystem::CodePage932PathThatOpens(std::u16string_view path) {
    CodePage932Text converted = CodePage932TextFromUtf16(path);
    if (converted.lossless) return std::move(converted.text);
    auto found = shortPaths_.find(path);
    if (found == shortPaths_.end()) return std::nullopt;
    return found->second;
}

}  // namespace hgf::test
