#include "editor/edit_session.h"

#include <utility>

namespace morvel {

Image BlackWorkImage() {
    auto image = Image::create(640, 480);
    return image ? std::move(*image) : Image();
}

EditSession::EditSession() {
    images.composite = BlackWorkImage();
    images.layer1 = BlackWorkImage();
    images.layer2 = BlackWorkImage();
    if (auto mask = GreyImage::create(640, 480)) images.mask = std::move(*mask);
}

}  // namespace morvel
