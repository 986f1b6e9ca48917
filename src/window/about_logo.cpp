#include "window/about_logo.h"

#include "codecs/jpeg_codec.h"

namespace morvel {

Image DecodeAboutLogo() {
    Image logo;
    if (DecodeJpeg(AboutLogoJpeg(), logo) != LoadResult::Ok) return {};
    return logo;
}

}  // namespace morvel
