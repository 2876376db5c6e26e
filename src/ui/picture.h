// Pictures the windows show: loaded from PNG or BMP files through the installed loader (GDI+ on
// Windows), shared and never changed once loaded, so copying a picture is cheap.
#pragma once
#include <cstdint>
#include <memory>

#include "core/text.h"

// A loaded image; the Windows view knows the concrete type.
class Image {
 public:
  virtual ~Image() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

// Loads picture files. LoadFromFile raises OsError (code and text) when the file is missing or is
// not a picture.
class ImageLoader {
 public:
  virtual ~ImageLoader() = default;
  virtual std::shared_ptr<const Image> LoadFromFile(const u16& path) = 0;
};

// Installs the loader (not owned); without one every load fails with "file not found".
void SetImageLoader(ImageLoader* loader);

class TPicture {
 public:
  // Replaces the picture with the file's content; raises OsError and keeps the old picture on failure.
  void LoadFromFile(const u16& path);
  void Assign(const TPicture& other) { *this = other; }
  void Clear() { image_.reset(); file_.clear(); }
  bool Empty() const { return !image_; }
  int Width() const { return image_ ? image_->Width() : 0; }
  int Height() const { return image_ ? image_->Height() : 0; }
  const u16& FileName() const { return file_; }  // where it was loaded from; empty when empty
  const Image* Graphic() const { return image_.get(); }

 private:
  std::shared_ptr<const Image> image_;
  u16 file_;
};
