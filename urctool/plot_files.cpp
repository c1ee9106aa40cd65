#include "urctool/plot_files.h"

#include "common/whole_files.h"
#include "urctool/pixel_font.h"

#include <png.h>
#include <sstream>
#include <vector>

namespace urctool {
namespace {

constexpr const char* kMarkColour = "#1f4e99";

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

// An 8-bit grey picture, white to begin with.
struct Canvas {
    int width, height;
    std::vector<uint8_t> grey;
    Canvas(int w, int h) : width(w), height(h), grey(static_cast<std::size_t>(w) * h, 255) {}
    void fill(int x, int y, int w, int h, uint8_t value) {
        for (int row = std::max(0, y); row < std::min(height, y + h); ++row)
            for (int col = std::max(0, x); col < std::min(width, x + w); ++col)
                grey[static_cast<std::size_t>(row) * width + col] = value;
    }
    void text(const Label& label) {
        const int scale = std::max(1, label.size / kGlyphRows);
        int x = label.x;
        const int top = label.y - kGlyphRows * scale;
        for (char c : label.text) {
            const auto& rows = glyph(c);
            for (int r = 0; r < kGlyphRows; ++r)
                for (int col = 0; col < kGlyphColumns; ++col)
                    if (rows[r] & (1u << (kGlyphColumns - 1 - col)))
                        fill(x + col * scale, top + r * scale, scale, scale, 0);
            x += (kGlyphColumns + 1) * scale;
        }
    }
};

} // namespace

std::string plotSvg(const PlotLayout& plot) {
    std::ostringstream out;
    out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << plot.width << "\" height=\""
        << plot.height << "\" viewBox=\"0 0 " << plot.width << " " << plot.height << "\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    for (const Bar& b : plot.marks)
        out << "<rect x=\"" << b.x << "\" y=\"" << b.y << "\" width=\"" << b.width << "\" height=\""
            << b.height << "\" fill=\"" << kMarkColour << "\"/>\n";
    for (const Bar& b : plot.lines)
        out << "<rect x=\"" << b.x << "\" y=\"" << b.y << "\" width=\"" << b.width << "\" height=\""
            << b.height << "\" fill=\"black\"/>\n";
    for (const Label& l : plot.labels)
        out << "<text x=\"" << l.x << "\" y=\"" << l.y
            << "\" font-family=\"sans-serif\" font-size=\"" << l.size << "\">" << escaped(l.text)
            << "</text>\n";
    out << "</svg>\n";
    return out.str();
}

std::optional<std::string> writePlotPng(const PlotLayout& plot, const std::string& path) {
    Canvas canvas(plot.width, plot.height);
    for (const Bar& b : plot.marks)
        canvas.fill(b.x, b.y, b.width, b.height, 80);
    for (const Bar& b : plot.lines)
        canvas.fill(b.x, b.y, b.width, b.height, 0);
    for (const Label& l : plot.labels)
        canvas.text(l);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(canvas.width);
    image.height = static_cast<png_uint_32>(canvas.height);
    image.format = PNG_FORMAT_GRAY;
    // Made in memory first, so the file is replaced whole or not at all.
    png_alloc_size_t size = 0;
    std::string bytes;
    bool ok = png_image_write_to_memory(&image, nullptr, &size, 0, canvas.grey.data(), canvas.width,
                                        nullptr);
    if (ok) {
        bytes.resize(size);
        ok = png_image_write_to_memory(&image, bytes.data(), &size, 0, canvas.grey.data(),
                                       canvas.width, nullptr);
    }
    if (!ok) {
        std::string why = "cannot make the PNG picture for " + path + ": " + image.message;
        png_image_free(&image);
        return why;
    }
    bytes.resize(size);
    return wholefiles::replaceFile(path, bytes);
}

} // namespace urctool
