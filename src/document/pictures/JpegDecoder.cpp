#include "JpegDecoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace JpegDecoder {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the setjmp of the function that called into the library.
// The functions that call setjmp hold only plain C data, so the jump skips
// no destructor.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

// Progressive images are decoded scan by scan; a damaged file can announce
// thousands of scans over a large image. Real files have a dozen or so.
constexpr int MaxScans = 200;

struct ProgressMonitor {
    jpeg_progress_mgr pub;
};

[[noreturn]] void onError(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

void onMessage(j_common_ptr) {}

void onProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > MaxScans)
        onError(cinfo);
}

// Reads the header and sets up the output colour space; false when the
// bytes are not a readable JPEG header.
bool readHeader(jpeg_decompress_struct *cinfo, ErrorManager *errors, const unsigned char *data, unsigned long size)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_mem_src(cinfo, data, size);
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK)
        cinfo->out_color_space = JCS_CMYK;
    else
        cinfo->out_color_space = JCS_EXT_BGRX;
    return true;
}

bool startDecompress(jpeg_decompress_struct *cinfo, ErrorManager *errors)
{
    if (setjmp(errors->jump))
        return false;
    return jpeg_start_decompress(cinfo) != FALSE;
}

// Decodes every row into `bits` (Format_RGB32 rows of `bytesPerLine`).
bool readRows(jpeg_decompress_struct *cinfo, ErrorManager *errors, unsigned char *bits, qsizetype bytesPerLine)
{
    if (setjmp(errors->jump))
        return false;
    const bool cmyk = cinfo->out_color_space == JCS_CMYK;
    // Adobe writes CMYK inverted: 0 is full ink.
    const bool inverted = cinfo->saw_Adobe_marker;
    JSAMPARRAY cmykRow = cmyk ? (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                            cinfo->output_width * 4, 1)
                              : nullptr;
    while (cinfo->output_scanline < cinfo->output_height) {
        unsigned char *line = bits + qsizetype(cinfo->output_scanline) * bytesPerLine;
        if (!cmyk) {
            JSAMPROW row = line;
            jpeg_read_scanlines(cinfo, &row, 1);
            continue;
        }
        jpeg_read_scanlines(cinfo, cmykRow, 1);
        const unsigned char *in = cmykRow[0];
        for (JDIMENSION x = 0; x < cinfo->output_width; ++x, in += 4, line += 4) {
            unsigned c = in[0], m = in[1], y = in[2], k = in[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                y = 255 - y;
                k = 255 - k;
            }
            line[0] = static_cast<unsigned char>(y * k / 255);  // blue
            line[1] = static_cast<unsigned char>(m * k / 255);  // green
            line[2] = static_cast<unsigned char>(c * k / 255);  // red
            line[3] = 0xFF;
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

} // namespace

std::optional<QImage> decode(QByteArrayView bytes)
{
    if (bytes.size() < 4 || qint64(bytes.size()) > qint64(0x7FFFFFFF))
        return std::nullopt;

    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = onError;
    errors.pub.output_message = onMessage;
    jpeg_create_decompress(&cinfo);
    // Bounds the memory of a progressive image's coefficient buffers; with
    // no backing store, an image that needs more fails instead.
    cinfo.mem->max_memory_to_use = 64L * 1024 * 1024;
    ProgressMonitor progress{};
    progress.pub.progress_monitor = onProgress;
    cinfo.progress = &progress.pub;

    std::optional<QImage> result;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    if (readHeader(&cinfo, &errors, data, static_cast<unsigned long>(bytes.size()))
        && cinfo.image_width > 0 && cinfo.image_height > 0
        && qint64(cinfo.image_width) * qint64(cinfo.image_height) <= MaxPixels
        && startDecompress(&cinfo, &errors)) {
        QImage image(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
        if (!image.isNull() && readRows(&cinfo, &errors, image.bits(), image.bytesPerLine()))
            result = std::move(image);
    }
    jpeg_destroy_decompress(&cinfo);
    return result;
}

} // namespace JpegDecoder
