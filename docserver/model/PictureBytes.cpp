#include "PictureBytes.h"

#include "docserver/package/ZipPackage.h"

#include <algorithm>

PictureBytes::PictureBytes(std::vector<uint8_t> bytes)
    : held_(std::make_shared<const std::vector<uint8_t>>(std::move(bytes))), size_(held_->size()) {}

PictureBytes::PictureBytes(std::shared_ptr<ZipPackage> package, std::string part, uint64_t size,
                           std::vector<uint8_t> head)
    : held_(std::make_shared<const std::vector<uint8_t>>(std::move(head))), package_(std::move(package)),
      part_(std::move(part)), size_(size) {}

std::span<const uint8_t> PictureBytes::Head() const {
    if (!held_)
        return {};
    return std::span<const uint8_t>(held_->data(), std::min(held_->size(), kPictureHeadBytes));
}

PictureRead PictureBytes::Read() const {
    static const auto kNone = std::make_shared<const std::vector<uint8_t>>();
    if (!package_)
        return PictureRead{{}, held_ ? held_ : kNone};
    PackagePartResult read = package_->ReadPartAgain(part_);
    // The file changed under the open document: the bytes are no longer those the document was read with.
    if (read.status.ok() && read.data.size() != size_)
        read.status = Failure(StatusCode::Damaged, "the part /" + part_ + " changed since the document was opened");
    if (!read.status.ok())
        return PictureRead{std::move(read.status), kNone};
    return PictureRead{{}, std::make_shared<const std::vector<uint8_t>>(read.data.begin(), read.data.end())};
}
