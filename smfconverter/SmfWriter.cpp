#include "SmfWriter.h"

#include <algorithm>

namespace smfconverter {
namespace {

constexpr std::uint32_t kMaxDelay = 0x0FFFFFFF;  // the largest 4-byte variable-length number

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, static_cast<std::uint16_t>(value >> 16));
    Put16(out, static_cast<std::uint16_t>(value));
}

void PutType(std::vector<std::uint8_t>& out, const char (&type)[5]) {
    out.insert(out.end(), type, type + 4);
}

}  // namespace

void WriteHeader(std::vector<std::uint8_t>& out, const SmfHeader& header) {
    PutType(out, "MThd");
    Put32(out, 6);
    Put16(out, header.format);
    Put16(out, header.trackCount);
    Put16(out, header.division);
}

TrackWriter::TrackWriter(std::vector<std::uint8_t>& out) : out_(out) {
    PutType(out_, "MTrk");
    lengthAt_ = out_.size();
    Put32(out_, 0);
}

void TrackWriter::VarLen(std::uint32_t value) {
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value != 0 && count < 4);
    while (count > 1)
        out_.push_back(groups[--count] | 0x80);
    out_.push_back(groups[0]);
}

void TrackWriter::Delay(std::uint64_t tick) {
    std::uint64_t delay = tick > tick_ ? tick - tick_ : 0;
    // A gap longer than one delay can say (left by dropped events) is bridged by empty
    // text events.
    while (delay > kMaxDelay) {
        VarLen(kMaxDelay);
        out_.insert(out_.end(), {kMeta, kMetaText, 0});
        runningStatus_ = 0;
        ++events_;
        delay -= kMaxDelay;
    }
    VarLen(static_cast<std::uint32_t>(delay));
    tick_ = std::max(tick_, tick);
}

void TrackWriter::Channel(std::uint64_t tick, std::uint8_t status, std::uint8_t data1,
                          std::uint8_t data2) {
    Delay(tick);
    if (status != runningStatus_) out_.push_back(status);
    runningStatus_ = status;
    out_.push_back(data1);
    if (ChannelDataLength(status) == 2) out_.push_back(data2);
    ++events_;
}

void TrackWriter::Exclusive(std::uint64_t tick, std::uint8_t status, Bytes bytes) {
    Delay(tick);
    out_.push_back(status);
    VarLen(static_cast<std::uint32_t>(bytes.size()));
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    runningStatus_ = 0;
    ++events_;
}

void TrackWriter::Meta(std::uint64_t tick, std::uint8_t type, Bytes payload) {
    Delay(tick);
    out_.push_back(kMeta);
    out_.push_back(type);
    VarLen(static_cast<std::uint32_t>(payload.size()));
    out_.insert(out_.end(), payload.begin(), payload.end());
    runningStatus_ = 0;
    ++events_;
}

void TrackWriter::Finish(std::uint64_t tick) {
    Meta(tick, kMetaEndOfTrack, {});
    const std::size_t length = out_.size() - lengthAt_ - 4;
    for (int i = 0; i < 4; ++i)
        out_[lengthAt_ + i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
}

}  // namespace smfconverter
