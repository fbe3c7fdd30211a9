#include "imageio/WorkingImage.h"

#include "imageio/SourceDecoder.h"

namespace tessoly {

WorkingImage::~WorkingImage() {
    ReleaseSourceImage(*this);
}

} // namespace tessoly
