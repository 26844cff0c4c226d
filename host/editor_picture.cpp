#include "editor_picture.h"

#include "atomic_file.h"
#include "bitmap/heap_bitmap.h"
#include "bitmap/png_writer.h"
#include "host_error.h"
#include "vst/editor_picture.h"

#include <algorithm>
#include <fstream>

namespace vhost {

void saveEditorPicture(PluginInstance& plugin, const std::filesystem::path& file, double scale) {
    EditorPicture picture;
    if (plugin.dispatch(effVendorSpecific, kEditorPictureRequest, 0, &picture,
                        static_cast<float>(scale)) != 1 ||
        !picture.pixels || picture.width <= 0 || picture.height <= 0 || picture.width > 16384 ||
        picture.height > 16384 || picture.rowSpan < picture.width)
        throw HostError("the plug-in gives no picture of its editor");

    HeapBitmap bitmap(picture.width, picture.height, 1);
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.rowSpan,
                    picture.width,
                    bitmap.Bits() + static_cast<std::ptrdiff_t>(y) * bitmap.RowSpan());
    const std::vector<std::uint8_t> png = EncodePng(bitmap);
    if (png.empty()) throw HostError("cannot encode the editor picture");

    TemporaryFile temp(file);
    {
        std::ofstream out(temp.path(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(png.data()),
                  static_cast<std::streamsize>(png.size()));
        if (!out) throw HostError("cannot write " + file.string());
    }
    temp.commit();
}

} // namespace vhost
