#include "image/bmp.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/types.hpp"
#include "platform/console.hpp"
#include "platform/fields.hpp"
#include "platform/files.hpp"

namespace image {

namespace {

// The 20-character name field as a C string: trailing blanks dropped.
void nameOf(const char* field, char (&name)[model::kNameLength + 1]) {
    std::memcpy(name, model::trimmedName(field).text, sizeof name);
}

// The pixel rows cannot be read completely: status line, pause, stop.
[[noreturn]] void readErrorStop(BmpPicture& picture, long long code) {
    fields::TextLine line;
    line.ch(' ').str("Read error. IOSTAT=").ch(' ').i(code, 8).str(" ref: FCR p131");
    console::writeLine(line.c_str());
    console::pause(" ");
    std::fclose(picture.file);
    picture.file = nullptr;
    console::stop(console::Failure::imageRead, "Module BmpSupp(L129) BmpImpor: Halt.", picture.name);
}

[[noreturn]] void closeAndStop(BmpPicture& picture, console::Failure failure, const char* message) {
    std::fclose(picture.file);
    picture.file = nullptr;
    console::stop(failure, message, picture.name);
}

// Opens the named file and reads its header; stops when it cannot be opened.
// Anything but a plain file is an input/output failure.
void openPicture(const char* fileName20, BmpPicture& picture) {
    if (picture.file) std::fclose(picture.file);
    picture.file = nullptr;
    picture.header = BmpHeader{};
    picture.layout = BmpLayout{};
    nameOf(fileName20, picture.name);
    switch (files::openPlainFile(picture.name, picture.file, picture.length)) {
        case files::Opened::plainFile: break;
        case files::Opened::notFound: console::stop(console::Failure::imageMissing, "ReadaBmp: File not found", picture.name);
        case files::Opened::directory: console::ioFailure(console::Failure::ioError, "cannot read the BMP (Is a directory)", picture.name);
        case files::Opened::notPlainFile: console::ioFailure(console::Failure::ioError, "cannot read the BMP (not a regular file)", picture.name);
    }

    FileSource source(picture.file, picture.length, nullptr, 0);
    const BmpStatus s = bmpReadHeader(source, picture.header);
    if (s.fault == BmpFault::shortHeader) console::ioFailure(console::Failure::imageRead, "cannot read the whole BMP header of", picture.name);
    if (s.fault == BmpFault::badDepth) closeAndStop(picture, console::Failure::imageFormat, "Vsn 1.0 only supports 8 and 24 bit color .bmp files.");
    if (s.fault == BmpFault::compressed) {
        closeAndStop(picture, console::Failure::imageFormat, "Orvex: compressed .bmp files are not read; tools/orvex-picture converts them.");
    }
}

}  // namespace

void openBmp(const char* fileName20, int /*channel*/, BmpPicture& picture, int& width, int& height,
              int& bytesPerPixel) {
    openPicture(fileName20, picture);
    const BmpHeaderFields& h = picture.header.fields;
    bytesPerPixel = h.bitsPerPixel / 8;
    width = h.width;
    height = h.height;
}

void checkBmpSize(BmpPicture& picture, int maxWidth, int maxHeight) {
    BmpStatus s = bmpLayout(picture.header, maxWidth, maxHeight, picture.layout);
    if (s.fault == BmpFault::badSize) closeAndStop(picture, console::Failure::imageTooLarge, "Module BmpSupp(L112) BmpImpor: Halt.");
    s = bmpCheckLength(picture.layout, picture.length);
    if (s.fault == BmpFault::shortPalette) console::ioFailure(console::Failure::imageRead, "cannot read the whole BMP palette of", picture.name);
    if (s.fault == BmpFault::shortRows) readErrorStop(picture, s.readStatus);
}

void readBmpPixels(BmpPicture& picture, long long imageByteCount, std::uint8_t* pixels, int swap, int& status) {
    status = 0;
    const BmpLayout& layout = picture.layout;
    const long long dataBytes = layout.runLengths ? picture.length - layout.rowStart : layout.rowBytes;
    const long long stagingBytes = std::max(4LL, std::min(kBmpStagingBytes, dataBytes));
    auto* staging = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(stagingBytes)));
    if (!staging) closeAndStop(picture, console::Failure::outOfMemory, "Module BmpSupp(L125) BmpImpor: allocation failed.");
    FileSource source(picture.file, picture.length, staging, stagingBytes);
    const BmpStatus s = bmpDecode(source, layout, pixels, imageByteCount, swap);
    std::free(staging);
    // A target that cannot hold the picture is a size the caller cannot take.
    if (s.fault == BmpFault::badSize) closeAndStop(picture, console::Failure::imageTooLarge, "Module BmpSupp(L112) BmpImpor: Halt.");
    if (s.fault == BmpFault::shortPalette) console::ioFailure(console::Failure::imageRead, "cannot read the whole BMP palette of", picture.name);
    if (s.fault == BmpFault::shortRows) readErrorStop(picture, s.readStatus);
    if (s.fault == BmpFault::badRuns) {
        const std::string message = std::string("Orvex: the compressed rows of ") + picture.name +
                                    " are damaged: " + s.reason + ".";
        closeAndStop(picture, console::Failure::imageDamaged, message.c_str());
    }
    std::fclose(picture.file);
    picture.file = nullptr;
}

}  // namespace image
