#include "ui/picture.h"

#include "core/errors.h"

namespace {
ImageLoader* g_loader = nullptr;
constexpr uint32_t kErrorFileNotFound = 2;
}  // namespace

void SetImageLoader(ImageLoader* loader) { g_loader = loader; }

void TPicture::LoadFromFile(const u16& path) {
  if (!g_loader) throw OsError(kErrorFileNotFound, u"Cannot open file \"" + path + u"\"");
  std::shared_ptr<const Image> image = g_loader->LoadFromFile(path);
  if (!image) throw OsError(kErrorFileNotFound, u"Cannot open file \"" + path + u"\"");
  image_ = std::move(image);
  file_ = path;
}
