// The sample's pictures written as the files a show names: JPEG and
// uncompressed TGA. Both answer false when the file cannot be written.
#ifndef HALVENOR_TOOLS_SAMPLEASSETS_IMAGEFILES_H
#define HALVENOR_TOOLS_SAMPLEASSETS_IMAGEFILES_H

#include <string>

namespace SampleAssets {

class Image;

bool WriteJpeg(const std::string& path, const Image& image, int quality);
bool WriteTga(const std::string& path, const Image& image);

}  // namespace SampleAssets

#endif
