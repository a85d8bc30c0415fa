#include "ZipPackage.h"

#include "base/Utf8Path.h"
#include "docserver/package/PackageLimits.h"

#include "base/MachineMemory.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <zip.h>

struct ZipPackage::Impl {
    std::string bytes;
    zip_t* archive = nullptr;
    uint64_t inflatedSoFar = 0;
    uint64_t packageBytes = 0; // the package file's real size
    bool inFile = false;       // read from its file, which stays open with the archive
    const uint64_t machineMemory = PhysicalMemoryBytes();
    ~Impl() {
        if (archive)
            zip_discard(archive);
    }
};

ZipPackage::ZipPackage() : impl_(std::make_unique<Impl>()) {}
ZipPackage::~ZipPackage() = default;

Status ZipPackage::Open(std::string bytes) {
    impl_ = std::make_unique<Impl>();
    impl_->bytes = std::move(bytes);
    impl_->packageBytes = impl_->bytes.size();
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(impl_->bytes.data(), impl_->bytes.size(), 0, &error);
    return OpenSource(source, error, impl_->bytes.substr(0, 4));
}

Status ZipPackage::OpenFile(const std::filesystem::path& path) {
    impl_ = std::make_unique<Impl>();
    impl_->inFile = true;
    std::string head(4, '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    std::error_code sizeError;
    impl_->packageBytes = std::filesystem::file_size(path, sizeError);
    if (sizeError)
        impl_->packageBytes = 0;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_file_create(Utf8FromPath(path).c_str(), 0, -1, &error);
    return OpenSource(source, error, head);
}

Status ZipPackage::OpenSource(zip_source_t* source, zip_error_t& error, const std::string& head) {
    if (head.size() < 4 || head.compare(0, 2, "PK") != 0) {
        if (source)
            zip_source_free(source);
        zip_error_fini(&error);
        return Failure(StatusCode::NotThisFormat, "it is not a zip package");
    }
    if (!source) {
        Status failed = Failure(StatusCode::Damaged, zip_error_strerror(&error));
        zip_error_fini(&error);
        return failed;
    }
    impl_->archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!impl_->archive) {
        zip_source_free(source);
        const int code = zip_error_code_zip(&error);
        // A zip whose directory is gone (a truncated download) still starts like one.
        const bool startsLikeZip = head.compare(0, 4, "PK\x03\x04") == 0;
        Status failed =
            code == ZIP_ER_NOZIP && !startsLikeZip ? Failure(StatusCode::NotThisFormat, "it is not a zip package")
            : code == ZIP_ER_NOZIP
                ? Failure(StatusCode::Damaged, "the zip package is incomplete (truncated) or its directory is damaged")
                : Failure(StatusCode::Damaged,
                          std::string("the zip structure is damaged (") + zip_error_strerror(&error) + ")");
        zip_error_fini(&error);
        return failed;
    }
    zip_error_fini(&error);
    const zip_int64_t entries = zip_get_num_entries(impl_->archive, 0);
    if (entries < 0 || static_cast<uint64_t>(entries) > kMaxPackageEntries)
        return Failure(StatusCode::TooLarge,
                       "the package holds more than " + std::to_string(kMaxPackageEntries) + " entries");
    return {};
}

bool ZipPackage::HasPart(const std::string& name) const {
    return impl_->archive && zip_name_locate(impl_->archive, name.c_str(), 0) >= 0;
}

bool ZipPackage::InFile() const {
    return impl_->archive && impl_->inFile;
}

PackagePartResult ZipPackage::ReadPart(const std::string& name) {
    PackagePartResult result;
    uint64_t size = 0;
    result.status = Inflate(name, true, SIZE_MAX, result.data, size);
    return result;
}

PackagePartCheck ZipPackage::CheckPart(const std::string& name, size_t headBytes) {
    PackagePartCheck result;
    result.status = Inflate(name, true, headBytes, result.head, result.size);
    return result;
}

PackagePartResult ZipPackage::ReadPartAgain(const std::string& name) {
    PackagePartResult result;
    uint64_t size = 0;
    result.status = Inflate(name, false, SIZE_MAX, result.data, size);
    return result;
}

Status ZipPackage::Inflate(const std::string& name, bool countTowardTotal, size_t keepBytes, std::string& data,
                           uint64_t& size) {
    data.clear();
    size = 0;
    if (!impl_->archive)
        return Failure(StatusCode::Damaged, "the package is not open");
    const zip_int64_t index = zip_name_locate(impl_->archive, name.c_str(), 0);
    if (index < 0)
        return Failure(StatusCode::Missing, "the part /" + name + " is missing");
    zip_file_t* file = zip_fopen_index(impl_->archive, static_cast<zip_uint64_t>(index), 0);
    if (!file)
        return Failure(StatusCode::Damaged,
                       "the part /" + name + " cannot be read (" + zip_strerror(impl_->archive) + ")");
    // Inflate in chunks and stop at the limits: the sizes in the zip directory are not trusted, but one within the
    // limit sizes the buffer once (growing it by doubling held a large part one and a half times). A part may inflate
    // to more than the fixed bound when its compressed bytes in the file account for it.
    zip_stat_t declared;
    zip_stat_init(&declared);
    const bool described = zip_stat_index(impl_->archive, static_cast<zip_uint64_t>(index), 0, &declared) == 0;
    const bool sizeKnown = described && (declared.valid & ZIP_STAT_SIZE);
    const uint64_t compressed = described && (declared.valid & ZIP_STAT_COMP_SIZE)
                                    ? std::min<uint64_t>(declared.comp_size, impl_->packageBytes)
                                    : impl_->packageBytes;
    const InflateLimit partLimit = PartInflateLimit(compressed, impl_->machineMemory);
    const InflateLimit totalLimit = PackageInflateLimit(impl_->packageBytes, impl_->machineMemory);
    const auto failed = [&](Status status) {
        zip_fclose(file);
        data.clear();
        return status;
    };
    const auto tooLarge = [&](const std::string& what, const InflateLimit& limit) {
        return failed(Failure(StatusCode::TooLarge, what + " inflates to more than " +
                                                        std::to_string(limit.bytes >> 20) + " MiB" + limit.why +
                                                        " (a zip bomb or a damaged package)"));
    };
    if (sizeKnown && declared.size > partLimit.bytes)
        return tooLarge("the part /" + name, partLimit);
    if (sizeKnown)
        data.reserve(static_cast<size_t>(std::min<uint64_t>(declared.size, keepBytes)));
    char buffer[64 * 1024];
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0)
            return failed(
                Failure(StatusCode::Damaged, "the part /" + name + " is damaged (" + zip_file_strerror(file) + ")"));
        if (got == 0)
            break;
        if (countTowardTotal)
            impl_->inflatedSoFar += static_cast<uint64_t>(got);
        size += static_cast<uint64_t>(got);
        if (sizeKnown && size > declared.size)
            return failed(Failure(StatusCode::Damaged, "the part /" + name +
                                                           " inflates to more than its declared size (a damaged "
                                                           "package)"));
        if (size > partLimit.bytes)
            return tooLarge("the part /" + name, partLimit);
        if (impl_->inflatedSoFar > totalLimit.bytes)
            return tooLarge("the package", totalLimit);
        if (data.size() < keepBytes)
            data.append(buffer, std::min(static_cast<size_t>(got), keepBytes - data.size()));
    }
    zip_fclose(file);
    return {};
}
