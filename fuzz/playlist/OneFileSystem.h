// The smallest file system a reader fuzzer needs: one file with the fuzzer's bytes, and
// files written by the writers kept in memory.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/CodePage932.h"
#include "platform/FileSystem.h"

namespace hgf::fuzz {

class OneFileSystem final : public FileSystem {
  public:
    std::map<std::string, std::string> files;

    std::optional<FileAttributes> GetAttributes(const std::string& path) override {
        if (!files.count(path)) return std::nullopt;
        return FileAttributes{};
    }
    std::unique_ptr<DirectoryEnumeration> Enumerate(const std::string&) override { return nullptr; }
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override {
        auto found = files.find(path);
        if (found == files.end()) return nullptr;
        return std::make_unique<Input>(found->second);
    }
    std::unique_ptr<OutputFile> Create(const std::string& path) override {
        return std::make_unique<Output>(files[path]);
    }
    bool Replace(const std::string& source, const std::string& target) override {
        auto found = files.find(source);
        if (found == files.end()) return false;
        std::string data = std::move(found->second);
        files.erase(found);
        files[target] = std::move(data);
        return true;
    }
    bool Remove(const std::string& path) override { return files.erase(path) == 1; }
    // Names that code page 932 cannot spell: every other one has a short path.
    std::optional<std::string> CodePage932PathThatOpens(std::u16string_view path) override {
        CodePage932Text converted = CodePage932TextFromUtf16(path);
        if (converted.lossless) return std::move(converted.text);
        if (path.size() % 2 == 1) return std::nullopt;
        return "C:\\SHORT~" + std::to_string(path.size()) + ".OGG";
    }

  private:
    class Input final : public InputFile {
      public:
        explicit Input(const std::string& data) : data_(data) {}
        std::size_t Read(void* buffer, std::size_t size) override {
            // Short reads of odd sizes, so that chunk edges fall everywhere.
            std::size_t count = std::min<std::size_t>({size, data_.size() - position_, 7919});
            std::memcpy(buffer, data_.data() + position_, count);
            position_ += count;
            return count;
        }
        bool HasError() const override { return false; }

      private:
        const std::string& data_;
        std::size_t position_ = 0;
    };

    class Output final : public OutputFile {
      public:
        explicit Output(std::string& data) : data_(data) { data_.clear(); }
        bool Write(const void* data, std::size_t size) override {
            data_.append(static_cast<const char*>(data), size);
            return true;
        }
        bool Close() override { return true; }

      private:
        std::string& data_;
    };
};

}  // namespace hgf::fuzz
