#include "Metafile.h"

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace Metafile {
namespace {

// No banner is larger than this on any side; a header that claims more is damaged.
constexpr long MaxSide = 16384;

std::uint32_t readLe32(std::string_view bytes, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

std::int32_t readLe32s(std::string_view bytes, std::size_t at)
{
    return static_cast<std::int32_t>(readLe32(bytes, at));
}

// Owns a libwmf session and closes it on every way out.
class WmfSession {
public:
    WmfSession()
    {
        wmfAPI_Options options{};
        options.function = wmf_svg_function;
        // Damaged records are skipped rather than ending the play, and the
        // library writes nothing to the program's error output.
        const unsigned long flags =
            WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
        if (wmf_api_create(&m_api, flags, &options) != wmf_E_None)
            m_api = nullptr;
    }
    ~WmfSession()
    {
        if (!m_api)
            return;
        if (m_open)
            wmf_mem_close(m_api);
        wmf_api_destroy(m_api);
    }
    WmfSession(const WmfSession &) = delete;
    WmfSession &operator=(const WmfSession &) = delete;

    wmfAPI *api() const { return m_api; }
    bool open(unsigned char *bytes, long size)
    {
        m_open = wmf_mem_open(m_api, bytes, size) == wmf_E_None;
        return m_open;
    }

private:
    wmfAPI *m_api = nullptr;
    bool m_open = false;
};

} // namespace

std::optional<Svg> WmfToSvg(std::string_view bytes)
{
    if (bytes.empty())
        return std::nullopt;
    // libwmf reads from a buffer it may not change, but takes it without const.
    std::vector<unsigned char> copy(bytes.begin(), bytes.end());
    WmfSession session;
    if (!session.api() || !session.open(copy.data(), static_cast<long>(copy.size())))
        return std::nullopt;
    wmfAPI *api = session.api();

    wmfD_Rect bbox{};
    if (wmf_scan(api, 0, &bbox) != wmf_E_None)
        return std::nullopt;
    // The picture's size in pixels: the placeable header's frame in its own
    // units per inch, or else the played extent, which libwmf gives in points.
    double w = 0, h = 0;
    const wmfPlaceableMetaHeader &frame = api->PlaceableMetaHeader;
    if (api->File->placeable && frame.Inch > 0) {
        w = double(frame.Right - frame.Left) * 96.0 / frame.Inch;
        h = double(frame.Bottom - frame.Top) * 96.0 / frame.Inch;
    } else {
        w = double(bbox.BR.x - bbox.TL.x) * 96.0 / 72.0;
        h = double(bbox.BR.y - bbox.TL.y) * 96.0 / 72.0;
    }
    const long width = std::lround(std::abs(w)), height = std::lround(std::abs(h));
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide)
        return std::nullopt;

    wmf_svg_t *svg = WMF_SVG_GetData(api);
    svg->out = wmf_stream_create(api, nullptr);
    if (!svg->out)
        return std::nullopt;
    svg->Description = const_cast<char *>("");
    svg->bbox = bbox;
    svg->width = static_cast<unsigned int>(width);
    svg->height = static_cast<unsigned int>(height);
    const wmf_error_t played = wmf_play(api, 0, &bbox);

    char *text = nullptr;
    unsigned long length = 0;
    wmf_stream_destroy(api, svg->out, &text, &length);
    svg->out = nullptr;
    std::optional<Svg> result;
    if (played == wmf_E_None && text && length > 0)
        result = Svg{std::string(text, length), static_cast<int>(width), static_cast<int>(height)};
    // The memory stream's buffer comes from the library's own allocator, which
    // frees it with the session.
    return result;
}

std::optional<Svg> EmfToSvg(std::string_view bytes)
{
    // The smallest enhanced metafile is its header record, which carries the
    // signature " EMF" at byte 40.
    if (bytes.size() < 88 || readLe32(bytes, 0) != 1 || bytes.substr(40, 4) != " EMF")
        return std::nullopt;
    // The frame is in hundredths of a millimetre; the bounds, in pixels, count
    // both their edges.
    const auto frameLeft = readLe32s(bytes, 24), frameTop = readLe32s(bytes, 28);
    const auto frameRight = readLe32s(bytes, 32), frameBottom = readLe32s(bytes, 36);
    long width = std::lround(double(frameRight - frameLeft) * 96.0 / 2540.0);
    long height = std::lround(double(frameBottom - frameTop) * 96.0 / 2540.0);
    if (width <= 0 || height <= 0) {
        width = long(readLe32s(bytes, 16)) - readLe32s(bytes, 8) + 1;
        height = long(readLe32s(bytes, 20)) - readLe32s(bytes, 12) + 1;
    }
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide)
        return std::nullopt;

    std::vector<char> copy(bytes.begin(), bytes.end());
    generatorOptions options{};
    options.nameSpace = const_cast<char *>("");
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    options.imgWidth = 0;
    options.imgHeight = 0;
    char *out = nullptr;
    size_t length = 0;
    const int ok = emf2svg(copy.data(), copy.size(), &out, &length, &options);
    std::unique_ptr<char, decltype(&std::free)> owned(out, &std::free);
    if (!ok || !out || length == 0)
        return std::nullopt;
    return Svg{std::string(out, length), static_cast<int>(width), static_cast<int>(height)};
}

} // namespace Metafile
