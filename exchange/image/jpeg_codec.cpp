// JPEG through libjpeg. libjpeg reports fatal errors through error_exit, which here jumps back to
// the caller; its warnings and messages are swallowed. The functions that call setjmp keep no
// objects with destructors of their own.
#include <cstdio>  // jpeglib.h needs FILE

#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

#include "exchange/image/image_codecs.h"

namespace {

// Huffman-coded JPEG spends at least one bit on every 8 × 8 block, so a file holds at most 512
// pixels per byte. Arithmetic coding can do better, hence the allowance for small pictures.
constexpr uint64_t MaxPixelsPerByte = 512;
constexpr uint64_t AlwaysAllowedPixels = uint64_t{1} << 22;
// A progressive file may repeat scans without end; real encoders use a few dozen.
constexpr int MaxScans = 1000;

struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}
void IgnoreMessage(j_common_ptr, int) {}
void OutputNothing(j_common_ptr) {}

void InstallSilentErrors(JpegErrors& errors) {
  jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpOnError;
  errors.manager.emit_message = IgnoreMessage;
  errors.manager.output_message = OutputNothing;
}

void LimitScans(j_common_ptr cinfo) {
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > MaxScans) {
    cinfo->err->msg_code = 0;
    cinfo->err->error_exit(cinfo);
  }
}

struct JpegDecoding {
  jpeg_decompress_struct cinfo;
  JpegErrors errors;
  jpeg_progress_mgr progress;
};

// CMYK as Adobe writes it (inverted) or plain, to blue-green-red.
void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const int k = inverted ? cmyk[3] : 255 - cmyk[3];
    for (int c = 0; c < 3; ++c) {
      const int ink = inverted ? cmyk[c] : 255 - cmyk[c];
      bgr[2 - c] = static_cast<uint8_t>((ink * k + 127) / 255);
    }
  }
}

DecodeStatus DecodeWithLibjpeg(JpegDecoding* job, const uint8_t* data, size_t size, RequiredSize required,
                               PixelImage& image) {
  j_decompress_ptr cinfo = &job->cinfo;
  if (setjmp(job->errors.jump)) return DecodeStatus::Corrupt;
  jpeg_create_decompress(cinfo);
  cinfo->progress = &job->progress;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);

  const uint64_t width = cinfo->image_width;
  const uint64_t height = cinfo->image_height;
  const DecodeStatus sides = CheckHeaderSize(width, height, required);
  if (sides != DecodeStatus::Ok) return sides;
  if (width * height > std::max(AlwaysAllowedPixels, MaxPixelsPerByte * size)) return DecodeStatus::Corrupt;

  const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(cinfo);
  const int components = cmyk ? 4 : 3;
  if (cinfo->output_width != width || cinfo->output_height != height || cinfo->output_components != components) {
    return DecodeStatus::Corrupt;
  }
  if (!AllocatePixelImage(image, static_cast<int>(width), static_cast<int>(height))) return DecodeStatus::TooLarge;

  JSAMPARRAY cmykRow = cmyk ? cinfo->mem->alloc_sarray(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                       static_cast<JDIMENSION>(width * 4), 1)
                            : nullptr;
  while (cinfo->output_scanline < cinfo->output_height) {
    const int y = static_cast<int>(cinfo->output_scanline);
    JSAMPROW row = cmyk ? cmykRow[0] : image.Row(y);
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) return DecodeStatus::Corrupt;
    if (cmyk) CmykToBgr(cmykRow[0], image.Row(y), image.width, cinfo->saw_Adobe_marker);
  }
  // The rest of the file is not needed: a damaged tail after the last row still gives the picture.
  return DecodeStatus::Ok;
}

// Collects the compressed bytes in a vector; running out of memory is a fatal libjpeg error.
struct VectorDestination {
  jpeg_destination_mgr manager;
  std::vector<uint8_t>* out;
  JOCTET buffer[16384];
};

bool Append(VectorDestination* dest, size_t count) {
  try {
    dest->out->insert(dest->out->end(), dest->buffer, dest->buffer + count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void StartDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  dest->manager.next_output_byte = dest->buffer;
  dest->manager.free_in_buffer = sizeof dest->buffer;
}

boolean FlushDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  if (!Append(dest, sizeof dest->buffer)) cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
  StartDestination(cinfo);
  return TRUE;
}

void FinishDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
  if (!Append(dest, sizeof dest->buffer - dest->manager.free_in_buffer)) {
    cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
  }
}

struct JpegEncoding {
  jpeg_compress_struct cinfo;
  JpegErrors errors;
  VectorDestination destination;
};

bool EncodeWithLibjpeg(JpegEncoding* job, const PixelImage& image, int quality) {
  j_compress_ptr cinfo = &job->cinfo;
  if (setjmp(job->errors.jump)) return false;
  jpeg_create_compress(cinfo);
  job->destination.manager.init_destination = StartDestination;
  job->destination.manager.empty_output_buffer = FlushDestination;
  job->destination.manager.term_destination = FinishDestination;
  cinfo->dest = &job->destination.manager;

  cinfo->image_width = static_cast<JDIMENSION>(image.width);
  cinfo->image_height = static_cast<JDIMENSION>(image.height);
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_RGB;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, JpegLibraryQuality(quality), FALSE);
  jpeg_start_compress(cinfo, TRUE);

  JSAMPARRAY rgb = cinfo->mem->alloc_sarray(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                            static_cast<JDIMENSION>(image.width * 3), 1);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* bgr = image.Row(y);
    for (int x = 0; x < image.width * 3; x += 3) {
      rgb[0][x] = bgr[x + 2];
      rgb[0][x + 1] = bgr[x + 1];
      rgb[0][x + 2] = bgr[x];
    }
    jpeg_write_scanlines(cinfo, rgb, 1);
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

bool IsJpegFile(const uint8_t* data, size_t size) { return size >= 2 && data[0] == 0xFF && data[1] == 0xD8; }

int JpegLibraryQuality(int quality) { return 10 * std::clamp(quality, 0, 10); }

DecodeStatus DecodeJpeg(const uint8_t* data, size_t size, PixelImage& image, RequiredSize required) {
  image = PixelImage{};
  if (!IsJpegFile(data, size)) return DecodeStatus::NotThisFormat;
  auto* job = new (std::nothrow) JpegDecoding{};
  if (!job) return DecodeStatus::TooLarge;
  job->cinfo.err = &job->errors.manager;
  InstallSilentErrors(job->errors);
  job->progress.progress_monitor = LimitScans;
  const DecodeStatus status = DecodeWithLibjpeg(job, data, size, required, image);
  jpeg_destroy_decompress(&job->cinfo);
  delete job;
  if (status != DecodeStatus::Ok) image = PixelImage{};
  return status;
}

bool EncodeJpeg(const PixelImage& image, int quality, std::vector<uint8_t>& out) {
  if (image.width < 1 || image.height < 1 || image.width > MaxImageSide || image.height > MaxImageSide) return false;
  if (image.pixels.size() < static_cast<size_t>(RowSize(image.width)) * static_cast<size_t>(image.height)) return false;
  auto* job = new (std::nothrow) JpegEncoding{};
  if (!job) return false;
  job->cinfo.err = &job->errors.manager;
  InstallSilentErrors(job->errors);
  job->destination.out = &out;
  const size_t start = out.size();
  const bool ok = EncodeWithLibjpeg(job, image, quality);
  jpeg_destroy_compress(&job->cinfo);
  delete job;
  if (!ok) out.resize(start);
  return ok;
}
