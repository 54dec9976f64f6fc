// The new file beside the target, and the one-step replace.
#include "platform/ReplacingFile.h"

namespace hgf {

ReplacingFile::ReplacingFile(FileSystem& fileSystem, std::string target)
    : fileSystem_(fileSystem),
      target_(std::move(target)),
      newFile_(target_ + std::string(kNewFileSuffix)),
      file_(fileSystem_.Create(newFile_)),
      created_(file_ != nullptr) {}

ReplacingFile::~ReplacingFile() {
    Discard();
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
    if (!file_ || !ok_) return false;
    if (!file_->Write(data, size)) ok_ = false;
    return ok_;
}

bool ReplacingFile::Commit() {
    if (!file_) return false;
    bool closed = file_->Close();
    file_.reset();
    if (ok_ && closed && fileSystem_.Replace(newFile_, target_)) {
        created_ = false;  // it is the target now
        return true;
    }
    ok_ = false;
    Discard();
    return false;
}

void ReplacingFile::Discard() {
    if (!created_) return;
    file_.reset();  // closed before it is removed
    fileSystem_.Remove(newFile_);
    created_ = false;
}

}  // namespace hgf
