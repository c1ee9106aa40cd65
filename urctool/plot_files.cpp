#include "urctool/plot_files.h"

#include "urctool/errors.h"

#include <algorithm>
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <cctype>
#include <memory>

namespace urctool {
namespace {

constexpr const char* kFontFamily = "DejaVu Sans";

struct Rgb {
    double r, g, b;
};

Rgb colourOf(Ink ink) {
    switch (ink) {
    case Ink::Mark:
        return {0.16, 0.36, 0.67};
    case Ink::Grid:
        return {0.9, 0.9, 0.9};
    case Ink::Note:
        return {0.5, 0.5, 0.5};
    case Ink::OnMark:
        return {1, 1, 1};
    case Ink::Baseline:
    case Ink::OnSpace:
        return {0.27, 0.27, 0.27};
    case Ink::Axis:
    case Ink::Tick:
        return {0.2, 0.2, 0.2};
    case Ink::Heading:
        break;
    }
    return {0.07, 0.07, 0.07};
}

// The length of the UTF-8 sequence starting at text[i], 0 when it is not one.
std::size_t sequenceLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

// cairo draws UTF-8 only (and stops drawing at the first fault); a file name
// or label of other bytes is drawn with "?" for each byte that is not.
std::string drawableText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceLength(text, i);
        const bool control = length == 1 && std::iscntrl(static_cast<unsigned char>(text[i]));
        out += length == 0 || control ? std::string("?") : std::string(text.substr(i, length));
        i += std::max<std::size_t>(1, length);
    }
    return out;
}

void setFont(cairo_t* cr, double size, bool bold) {
    cairo_select_font_face(cr, kFontFamily, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

double advance(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

// The one drawing of a plot, whatever surface it goes to.
void drawPlot(cairo_t* cr, const PlotLayout& plot) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    for (const Shape& s : plot.shapes) {
        const Rgb c = colourOf(s.ink);
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
        cairo_rectangle(cr, s.box.x, s.box.y, s.box.width, s.box.height);
        cairo_fill(cr);
    }
    for (const Label& l : plot.labels) {
        const std::string text = drawableText(l.text);
        setFont(cr, l.size, l.bold);
        const double width = advance(cr, text);
        const double x = l.align == Align::Left     ? l.x
                         : l.align == Align::Centre ? l.x - width / 2
                                                    : l.x - width;
        const Rgb c = colourOf(l.ink);
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
        cairo_move_to(cr, x, l.y);
        cairo_show_text(cr, text.c_str());
    }
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    try {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
        return CAIRO_STATUS_SUCCESS;
    } catch (const std::bad_alloc&) {
        return CAIRO_STATUS_NO_MEMORY;
    }
}

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

void check(cairo_status_t status) {
    if (status != CAIRO_STATUS_SUCCESS)
        throw ToolError(std::string("cannot draw the plot: ") + cairo_status_to_string(status));
}

SurfacePtr surfaceFor(PlotFormat format, std::string& bytes, const PlotLayout& plot,
                      const std::string& title) {
    const int width = static_cast<int>(plot.width), height = static_cast<int>(plot.height);
    switch (format) {
    case PlotFormat::Png:
        return {cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height),
                cairo_surface_destroy};
    case PlotFormat::Svg: {
        SurfacePtr s(cairo_svg_surface_create_for_stream(appendBytes, &bytes, width, height),
                     cairo_surface_destroy);
        cairo_svg_surface_set_document_unit(s.get(), CAIRO_SVG_UNIT_PX);
        return s;
    }
    case PlotFormat::Pdf:
        break;
    }
    SurfacePtr s(cairo_pdf_surface_create_for_stream(appendBytes, &bytes, width, height),
                 cairo_surface_destroy);
    cairo_pdf_surface_set_metadata(s.get(), CAIRO_PDF_METADATA_TITLE, drawableText(title).c_str());
    cairo_pdf_surface_set_metadata(s.get(), CAIRO_PDF_METADATA_CREATOR, "urc-tool");
    return s;
}

} // namespace

std::optional<PlotFormat> plotFormatOf(const std::string& path) {
    const auto dot = path.rfind('.');
    if (dot == std::string::npos)
        return std::nullopt;
    std::string suffix = path.substr(dot + 1);
    for (char& c : suffix)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (suffix == "png")
        return PlotFormat::Png;
    if (suffix == "svg")
        return PlotFormat::Svg;
    if (suffix == "pdf")
        return PlotFormat::Pdf;
    return std::nullopt;
}

TextWidth plotTextWidth() {
    // One scratch context for every measure: an image surface, as the PNG's.
    auto surface = std::shared_ptr<cairo_surface_t>(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1), cairo_surface_destroy);
    auto cr = std::shared_ptr<cairo_t>(cairo_create(surface.get()), cairo_destroy);
    return [surface, cr](std::string_view text, double size, bool bold) {
        setFont(cr.get(), size, bold);
        return advance(cr.get(), drawableText(text));
    };
}

std::string renderPlot(const PlotLayout& plot, PlotFormat format, const std::string& title) {
    std::string bytes;
    SurfacePtr surface = surfaceFor(format, bytes, plot, title);
    check(cairo_surface_status(surface.get()));
    {
        ContextPtr cr(cairo_create(surface.get()), cairo_destroy);
        drawPlot(cr.get(), plot);
        check(cairo_status(cr.get()));
    }
    if (format == PlotFormat::Png)
        check(cairo_surface_write_to_png_stream(surface.get(), appendBytes, &bytes));
    cairo_surface_finish(surface.get());
    check(cairo_surface_status(surface.get()));
    return bytes;
}

} // namespace urctool
