// libFuzzer target for the package and XML reading. The first byte picks the mode: odd feeds the bytes as a whole
// .docx package (zip, relationships, parts); even wraps them as the main document part of a small stored zip, so
// the body reader sees XML rather than zip noise. Every document read is also numbered, as ListString would.
#include "docserver/docx/DocxReader.h"
#include "docserver/model/Numbering.h"

#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::string WrapAsDocument(const std::string& documentXml) {
    static const std::string kRelationships =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
        "Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
        "Target=\"word/document.xml\"/></Relationships>";
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    zip_source_keep(buffer);
    for (const auto& [name, data] : {std::pair<const char*, const std::string*>{"_rels/.rels", &kRelationships},
                                     {"word/document.xml", &documentXml}}) {
        const zip_int64_t index =
            zip_file_add(archive, name, zip_source_buffer(archive, data->data(), data->size(), 0), 0);
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    zip_close(archive);
    std::string out;
    zip_source_open(buffer);
    zip_source_seek(buffer, 0, SEEK_END);
    out.resize(static_cast<size_t>(zip_source_tell(buffer)));
    zip_source_seek(buffer, 0, SEEK_SET);
    zip_source_read(buffer, out.data(), out.size());
    zip_source_close(buffer);
    zip_source_free(buffer);
    zip_error_fini(&error);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if ((data[0] & 1) == 0)
        bytes = WrapAsDocument(bytes);
    DocxReadResult result = ReadDocx(std::move(bytes));
    if (result.status.ok())
        for (const Story& story : result.document.stories)
            ComputeListStrings(result.document, story);
    return 0;
}
