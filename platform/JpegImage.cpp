#include "platform/JpegImage.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

namespace {
// libjpeg reports fatal errors by calling error_exit, which must not return: we jump back to
// the decoder and give up. Warnings (a truncated file, corrupt data that libjpeg would paper
// over with grey) are treated the same way, so a damaged picture is never shown half-made.
struct Decoder {
    jpeg_decompress_struct Info{};
    jpeg_error_mgr Errors{};
    std::jmp_buf Escape{};
};

[[noreturn]] void FailDecoding(j_common_ptr Info) {
    std::longjmp(static_cast<Decoder *>(Info->client_data)->Escape, 1);
}

void OnMessage(j_common_ptr Info, int Level) {
    if (Level < 0) {
        FailDecoding(Info);
    }
}

void Silent(j_common_ptr) {}

// Runs libjpeg into Target. Only plain data lives in this frame, so jumping out of libjpeg
// back to the setjmp below skips no destructor.
bool Decode(Decoder *D, const unsigned char *Data, unsigned long Size, QImage *Target) {
    D->Info.err = jpeg_std_error(&D->Errors);
    D->Info.client_data = D;
    D->Errors.error_exit = FailDecoding;
    D->Errors.emit_message = OnMessage;
    D->Errors.output_message = Silent;
    if (setjmp(D->Escape) != 0) {
        jpeg_destroy_decompress(&D->Info);
        return false;
    }
    jpeg_create_decompress(&D->Info);
    jpeg_mem_src(&D->Info, Data, Size);
    jpeg_read_header(&D->Info, TRUE);

    const bool Gray = D->Info.jpeg_color_space == JCS_GRAYSCALE;
    D->Info.out_color_space = Gray ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&D->Info);
    *Target =
        QImage(static_cast<int>(D->Info.output_width), static_cast<int>(D->Info.output_height),
               Gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (Target->isNull()) {
        jpeg_destroy_decompress(&D->Info);
        return false;
    }
    while (D->Info.output_scanline < D->Info.output_height) {
        JSAMPROW Row = Target->scanLine(static_cast<int>(D->Info.output_scanline));
        jpeg_read_scanlines(&D->Info, &Row, 1);
    }
    jpeg_finish_decompress(&D->Info);
    jpeg_destroy_decompress(&D->Info);
    return true;
}
} // namespace

QImage DecodeJpeg(const QByteArray &Bytes) {
    if (Bytes.isEmpty()) {
        return {};
    }
    auto D = std::make_unique<Decoder>();
    QImage Result;
    if (!Decode(D.get(), reinterpret_cast<const unsigned char *>(Bytes.constData()),
                static_cast<unsigned long>(Bytes.size()), &Result)) {
        return {};
    }
    return Result.convertToFormat(QImage::Format_RGB32);
}

QImage LoadJpegResource(const QString &Path) {
    QFile File(Path);
    if (!File.open(QIODevice::ReadOnly)) {
        return {};
    }
    return DecodeJpeg(File.readAll());
}
