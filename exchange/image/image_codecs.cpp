#include "exchange/image/image_codecs.h"

#include <algorithm>

ImageCodecs Codecs;

namespace {

const ImageDecoder PngDecoder{"PNG", IsPngFile, DecodePng};
const ImageDecoder JpegDecoder{"JPEG", IsJpegFile, DecodeJpeg};
const ImageEncoder PngEncoder{ImageEncoding::Png, EncodePng};
const ImageEncoder JpegEncoder{ImageEncoding::Jpeg, EncodeJpeg};
// BMP files are laid out by the services themselves and need no registration.
const ImageEncoder BmpEncoder{ImageEncoding::Bmp, EncodeBmp};

template <typename T>
void AddOnce(std::vector<const T*>& list, const T* codec) {
  if (std::find(list.begin(), list.end(), codec) == list.end()) list.push_back(codec);
}

}  // namespace

void RegisterImageCodecs(ImageCodecs& codecs) {
  // The order is the one decoders are tried in: PNG before JPEG.
  AddOnce(codecs.decoders, &PngDecoder);
  AddOnce(codecs.encoders, &PngEncoder);
  AddOnce(codecs.encoders, &JpegEncoder);
  AddOnce(codecs.decoders, &JpegDecoder);
}

const ImageDecoder* FindImageDecoder(const ImageCodecs& codecs, const uint8_t* data, size_t size) {
  for (const ImageDecoder* decoder : codecs.decoders) {
    if (decoder->accepts(data, size)) return decoder;
  }
  return nullptr;
}

const ImageEncoder* FindImageEncoder(const ImageCodecs& codecs, ImageEncoding encoding) {
  if (encoding == ImageEncoding::Bmp) return &BmpEncoder;
  for (const ImageEncoder* encoder : codecs.encoders) {
    if (encoder->encoding == encoding) return encoder;
  }
  return nullptr;
}

DecodeStatus CheckHeaderSize(uint64_t width, uint64_t height, RequiredSize required) {
  if (width < 1 || height < 1) return DecodeStatus::Corrupt;
  if (width > static_cast<uint64_t>(MaxImageSide) || height > static_cast<uint64_t>(MaxImageSide) ||
      !FitsImageBudget(static_cast<int64_t>(width), static_cast<int64_t>(height))) {
    return DecodeStatus::TooLarge;
  }
  const bool anySize = required.width == 0 && required.height == 0;
  if (!anySize && (width != static_cast<uint64_t>(required.width) || height != static_cast<uint64_t>(required.height))) {
    return DecodeStatus::WrongSize;
  }
  return DecodeStatus::Ok;
}

DecodeStatus DecodeImage(const ImageCodecs& codecs, const uint8_t* data, size_t size, PixelImage& image,
                         RequiredSize required) {
  image = PixelImage{};
  const ImageDecoder* decoder = FindImageDecoder(codecs, data, size);
  if (!decoder) return DecodeStatus::NotThisFormat;
  const DecodeStatus status = decoder->decode(data, size, image, required);
  if (status != DecodeStatus::Ok) image = PixelImage{};
  return status;
}
