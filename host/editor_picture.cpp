#include "host/editor_picture.h"

#include "bitmap/heap_bitmap.h"
#include "bitmap/png_writer.h"
#include "host/command_errors.h"
#include "vst/editor_picture.h"

#include <algorithm>

namespace vhost {

std::vector<std::uint8_t> EditorPictureAsPng(PluginInstance& plugin, double scale) {
    EditorPicture picture;
    if (plugin.Dispatch(effVendorSpecific, kEditorPictureRequest, 0, &picture,
                        static_cast<float>(scale)) != 1 ||
        !picture.pixels || picture.width <= 0 || picture.height <= 0 || picture.width > 16384 ||
        picture.height > 16384 || picture.rowSpan < picture.width)
        throw HostError("the plug-in gives no picture of its editor");

    HeapBitmap bitmap(picture.width, picture.height, 1);
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.rowSpan,
                    picture.width,
                    bitmap.Bits() + static_cast<std::ptrdiff_t>(y) * bitmap.RowSpan());
    std::vector<std::uint8_t> png = EncodePng(bitmap);
    if (png.empty()) throw HostError("cannot encode the editor picture");
    return png;
}

} // namespace vhost
