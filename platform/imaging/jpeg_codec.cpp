#include "platform/imaging/jpeg_codec.h"

#include <QPainter>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE declared first
#include <cstdlib>

#include <jpeglib.h>

namespace imaging {
namespace {

struct JumpingErrors {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void jumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JumpingErrors*>(info->err)->jump, 1);
}

// Warnings (level -1) mean corrupt data that libjpeg would paper over.
void failOnWarning(j_common_ptr info, int level) {
    if (level < 0)
        jumpOut(info);
}

void stayQuiet(j_common_ptr) {}

void installErrors(JumpingErrors& errors) {
    jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpOut;
    errors.base.emit_message = failOnWarning;
    errors.base.output_message = stayQuiet;
}

// Everything that must survive a jump lives in the caller's frame, so the
// jump never leaves a C++ object half-built in the frame that called setjmp.
struct DecodeState {
    jpeg_decompress_struct info{};
    JumpingErrors errors{};
    QImage image;
    std::vector<JSAMPLE> row;
};

void storeRow(DecodeState& s, int y, bool cmyk, bool inverted) {
    auto* out = reinterpret_cast<QRgb*>(s.image.scanLine(y));
    const JSAMPLE* in = s.row.data();
    for (JDIMENSION x = 0; x < s.info.output_width; ++x) {
        if (!cmyk) {
            out[x] = qRgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
            continue;
        }
        int c = in[4 * x], m = in[4 * x + 1], yel = in[4 * x + 2], k = in[4 * x + 3];
        if (inverted) { // Adobe writes CMYK inverted
            c = 255 - c, m = 255 - m, yel = 255 - yel, k = 255 - k;
        }
        out[x] = qRgb((255 - c) * (255 - k) / 255, (255 - m) * (255 - k) / 255,
                      (255 - yel) * (255 - k) / 255);
    }
}

bool decodeInto(Bytes data, DecodeState* s) {
    s->info.err = &s->errors.base;
    installErrors(s->errors);
    if (setjmp(s->errors.jump)) {
        jpeg_destroy_decompress(&s->info);
        return false;
    }
    jpeg_create_decompress(&s->info);
    jpeg_mem_src(&s->info, data.data(), static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&s->info, TRUE) != JPEG_HEADER_OK ||
        !sizeIsAcceptable(s->info.image_width, s->info.image_height)) {
        jpeg_destroy_decompress(&s->info);
        return false;
    }
    const bool cmyk = s->info.jpeg_color_space == JCS_CMYK || s->info.jpeg_color_space == JCS_YCCK;
    s->info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&s->info);
    const int components = cmyk ? 4 : 3;
    if (s->info.output_components != components) {
        jpeg_destroy_decompress(&s->info);
        return false;
    }
    s->image = QImage(static_cast<int>(s->info.output_width),
                      static_cast<int>(s->info.output_height), QImage::Format_RGB32);
    if (s->image.isNull()) {
        jpeg_destroy_decompress(&s->info);
        return false;
    }
    s->row.resize(static_cast<std::size_t>(s->info.output_width) * components);
    while (s->info.output_scanline < s->info.output_height) {
        JSAMPROW rows[1] = {s->row.data()};
        const int y = static_cast<int>(s->info.output_scanline);
        if (jpeg_read_scanlines(&s->info, rows, 1) != 1) {
            jpeg_destroy_decompress(&s->info);
            return false;
        }
        storeRow(*s, y, cmyk, s->info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&s->info);
    jpeg_destroy_decompress(&s->info);
    return true;
}

struct EncodeState {
    jpeg_compress_struct info{};
    JumpingErrors errors{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    QImage rgb; // RGB888 rows
};

bool encodeFrom(EncodeState* s, int quality) {
    s->info.err = &s->errors.base;
    installErrors(s->errors);
    if (setjmp(s->errors.jump)) {
        jpeg_destroy_compress(&s->info);
        return false;
    }
    jpeg_create_compress(&s->info);
    jpeg_mem_dest(&s->info, &s->buffer, &s->size);
    s->info.image_width = static_cast<JDIMENSION>(s->rgb.width());
    s->info.image_height = static_cast<JDIMENSION>(s->rgb.height());
    s->info.input_components = 3;
    s->info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s->info);
    jpeg_set_quality(&s->info, quality, TRUE);
    jpeg_start_compress(&s->info, TRUE);
    while (s->info.next_scanline < s->info.image_height) {
        JSAMPROW rows[1] = {
            const_cast<JSAMPLE*>(s->rgb.constScanLine(static_cast<int>(s->info.next_scanline)))};
        jpeg_write_scanlines(&s->info, rows, 1);
    }
    jpeg_finish_compress(&s->info);
    jpeg_destroy_compress(&s->info);
    return true;
}

} // namespace

QImage decodeJpeg(Bytes data) {
    if (data.empty() || data.size() > kMaxInputBytes)
        return QImage();
    DecodeState state;
    if (!decodeInto(data, &state))
        return QImage();
    return state.image;
}

QByteArray encodeJpeg(const QImage& image, int quality) {
    if (image.isNull() || !sizeIsAcceptable(image.width(), image.height()))
        return {};
    EncodeState state;
    state.rgb = QImage(image.size(), QImage::Format_RGB888);
    state.rgb.fill(Qt::white);
    {
        QPainter painter(&state.rgb);
        painter.drawImage(0, 0, image);
    }
    const bool ok = encodeFrom(&state, std::clamp(quality, 1, 100));
    QByteArray out;
    if (ok)
        out = QByteArray(reinterpret_cast<const char*>(state.buffer),
                         static_cast<qsizetype>(state.size));
    std::free(state.buffer); // jpeg_mem_dest allocates with malloc
    return out;
}

} // namespace imaging
