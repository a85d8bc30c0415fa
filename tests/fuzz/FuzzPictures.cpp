// libFuzzer target for the picture decoders as a page's export calls them: the bytes as a picture of the document,
// written for a page with PNG allowed or not (the first byte). Metafiles are left out: they go to external programs.
#include "docserver/html/PictureExport.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    PictureSpan picture;
    picture.bytes = std::vector<uint8_t>(data + 1, data + size);
    picture.part = "word/media/image1.bin";
    picture.widthEmu = 914400;
    picture.heightEmu = 914400;
    const PictureKind kind = SniffPictureKind(picture.bytes.Head());
    if (kind == PictureKind::Emf || kind == PictureKind::Wmf)
        return 0;
    ExportPicture(picture, (data[0] & 1) != 0);
    return 0;
}
