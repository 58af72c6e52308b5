#include "image/win32/WicEncoder.h"

#include <objidl.h>
#include <ocidl.h>
#include <oleauto.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "platform/ReplacingFile.h"
#include "platform/WritableFileText.h"

namespace pixora {

namespace {

// Releases one COM interface pointer when it goes out of scope.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_ != nullptr)
            p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** put() { return &p_; }

private:
    T* p_ = nullptr;
};

// COM for this thread for the duration of one save. A thread that already chose another
// apartment model keeps it (the imaging factory works in either).
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

bool WriteOption(IPropertyBag2* bag, const wchar_t* name, VARIANT& value) {
    PROPBAG2 option{};
    option.pstrName = const_cast<LPOLESTR>(name);
    return SUCCEEDED(bag->Write(1, &option, &value));
}

bool SetOptions(IPropertyBag2* bag, const WicFrameFormat& format) {
    if (bag == nullptr)
        return format.jpegQuality < 0 && !format.uncompressed;
    if (IsEqualGUID(format.container, GUID_ContainerFormatJpeg) && format.jpegQuality >= 0) {
        VARIANT quality;
        VariantInit(&quality);
        quality.vt = VT_R4;
        quality.fltVal = static_cast<float>(format.jpegQuality) / 100.0f;
        if (!WriteOption(bag, L"ImageQuality", quality))
            return false;
    }
    if (IsEqualGUID(format.container, GUID_ContainerFormatTiff) && format.uncompressed) {
        VARIANT compression;
        VariantInit(&compression);
        compression.vt = VT_UI1;
        compression.bVal = WICTiffCompressionNone;
        if (!WriteOption(bag, L"TiffCompressionMethod", compression))
            return false;
    }
    return true;
}

// The encoded bytes of `stream` written to `path`; false when the file cannot be made
// or not every byte reached it.
bool CopyToFile(IStream* stream, const char* path) {
    HGLOBAL memory = nullptr;
    STATSTG stat{};
    if (FAILED(GetHGlobalFromStream(stream, &memory)) ||
        FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
        return false;
    }
    const auto size = static_cast<size_t>(stat.cbSize.QuadPart);
    const void* bytes = GlobalLock(memory);
    if (bytes == nullptr && size != 0)
        return false;
    errno = 0;
    ReplacingFile file;
    bool ok = file.Open(path, nullptr) && file.Stream() != nullptr &&
              std::fwrite(bytes, 1, size, file.Stream()) == size;
    GlobalUnlock(memory);
    return ok && file.Commit(nullptr);
}

// Encodes one frame into `stream`.
WicResult EncodeToStream(IWICImagingFactory* factory, IStream* stream, const WicFrameFormat& format,
                         const WicRowFiller& fill, uint8_t* row) {
    ComRef<IWICBitmapEncoder> encoder;
    if (FAILED(factory->CreateEncoder(format.container, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream, WICBitmapEncoderNoCache))) {
        return WicResult::Failed;
    }
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    if (FAILED(encoder->CreateNewFrame(frame.put(), options.put())) ||
        !SetOptions(options.get(), format) || FAILED(frame->Initialize(options.get())) ||
        FAILED(frame->SetSize(static_cast<UINT>(format.width), static_cast<UINT>(format.height)))) {
        return WicResult::Failed;
    }
    // The encoder answers with the nearest layout it can store; anything else than what
    // was asked would change the file's contents, so that is a refusal.
    WICPixelFormatGUID pixelFormat = format.pixelFormat;
    if (FAILED(frame->SetPixelFormat(&pixelFormat)))
        return WicResult::Failed;
    if (!IsEqualGUID(pixelFormat, format.pixelFormat))
        return WicResult::FormatRefused;

    for (int32_t r = 0; r < format.height; ++r) {
        fill(r, row);
        if (FAILED(frame->WritePixels(1, format.rowBytes, format.rowBytes, row)))
            return WicResult::Failed;
    }
    if (FAILED(frame->Commit()) || FAILED(encoder->Commit()))
        return WicResult::Failed;
    return WicResult::Written;
}

bool CreateFactory(ComRef<IWICImagingFactory>& factory) {
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory,
                                      reinterpret_cast<void**>(factory.put())));
}

// The first two bytes of the first pixel of the image in `stream`, as the decoder hands
// them over in 16-bit gray.
bool DecodeFirstWord(IWICImagingFactory* factory, IStream* stream, uint8_t word[2]) {
    LARGE_INTEGER start{};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)))
        return false;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                                decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put()))) {
        return false;
    }
    WICPixelFormatGUID pixelFormat{};
    if (FAILED(frame->GetPixelFormat(&pixelFormat)) ||
        !IsEqualGUID(pixelFormat, GUID_WICPixelFormat16bppGray)) {
        return false;
    }
    const WICRect first{0, 0, 1, 1};
    return SUCCEEDED(frame->CopyPixels(&first, 2, 2, word));
}

// A 1 x 1 gray PNG of 16 bits whose one sample is 0x0102 (stored 01 02).
constexpr uint8_t kReferencePng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x10, 0x00, 0x00, 0x00,
    0x00, 0x6a, 0xee, 0x47, 0x16, 0x00, 0x00, 0x00, 0x0b, 0x49, 0x44, 0x41, 0x54, 0x78,
    0x9c, 0x63, 0x60, 0x64, 0x02, 0x00, 0x00, 0x07, 0x00, 0x04, 0x76, 0x49, 0xe3, 0x28,
    0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

bool ProbePngWordBytesKept() {
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    if (!com.Usable() || !CreateFactory(factory))
        return false;
    // What the decoder makes of a known file tells whether it swaps...
    ComRef<IStream> reference;
    uint8_t known[2] = {};
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, reference.put())) ||
        FAILED(reference->Write(kReferencePng, sizeof kReferencePng, nullptr)) ||
        !DecodeFirstWord(factory.get(), reference.get(), known)) {
        return false;
    }
    const bool decoderSwaps = known[0] == 0x02 && known[1] == 0x01;
    // ...and so what the encoder stored for the sample 0x0102 given in memory order.
    ComRef<IStream> encoded;
    uint8_t sample[2] = {0x02, 0x01};
    uint8_t back[2] = {};
    WicFrameFormat format{};
    format.container = GUID_ContainerFormatPng;
    format.pixelFormat = GUID_WICPixelFormat16bppGray;
    format.width = 1;
    format.height = 1;
    format.rowBytes = 2;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, encoded.put())) ||
        EncodeToStream(
            factory.get(), encoded.get(), format,
            [&](int32_t, uint8_t* row) { std::memcpy(row, sample, 2); },
            sample) != WicResult::Written ||
        !DecodeFirstWord(factory.get(), encoded.get(), back)) {
        return false;
    }
    const unsigned stored = decoderSwaps ? (back[0] | back[1] << 8) : (back[0] << 8 | back[1]);
    return stored == 0x0201;
}

}  // namespace

GUID WicPixelFormatFor(const FileSampleLayout& samples) {
    if (samples.bitsPerSample == 16) {
        return samples.IsGray()            ? GUID_WICPixelFormat16bppGray
               : samples.HasFourthSample() ? GUID_WICPixelFormat64bppRGBA
                                           : GUID_WICPixelFormat48bppRGB;
    }
    return samples.IsGray()            ? GUID_WICPixelFormat8bppGray
           : samples.HasFourthSample() ? GUID_WICPixelFormat32bppBGRA
                                       : GUID_WICPixelFormat24bppBGR;
}

bool PngEncoderKeepsWordBytes() {
    static const bool kept = ProbePngWordBytesKept();
    return kept;
}

std::string WicFailureText(const char* path) {
    // The file's own failures set errno; an encoder that gave up leaves it at 0.
    if (errno != 0)
        return WriteFailureText(path);
    return std::string("the image encoder could not write '") + (path != nullptr ? path : "") + "'";
}

WicResult EncodeWithWic(const char* path, const WicFrameFormat& format, const WicRowFiller& fill) {
    if (path == nullptr || path[0] == '\0' || format.width <= 0 || format.height <= 0 ||
        format.rowBytes == 0 || !fill) {
        return WicResult::Failed;
    }
    std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[format.rowBytes]);
    if (!row)
        return WicResult::Failed;

    ComScope com;
    ComRef<IWICImagingFactory> factory;
    ComRef<IStream> stream;
    if (!com.Usable() || !CreateFactory(factory) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()))) {
        return WicResult::Failed;
    }
    const WicResult result = EncodeToStream(factory.get(), stream.get(), format, fill, row.get());
    if (result != WicResult::Written)
        return result;
    return CopyToFile(stream.get(), path) ? WicResult::Written : WicResult::Failed;
}

}  // namespace pixora
