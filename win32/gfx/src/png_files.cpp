// PNG files through the Windows Imaging Component: the screenshots of the
// Windows build and the pictures scripts compare the screen with.
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "platform/utf16.h"
#include "ui/graphics.h"

// After the framework's headers: windows.h defines macros (DT_*, RGB) that
// would rewrite their declarations.
#include <wincodec.h>
#include <windows.h>

namespace ui {

namespace {

// Pictures larger than this are refused before anything is allocated.
constexpr UINT kMaxSide = 16384;

std::string Hex(HRESULT hr) {
    char text[16];
    static_cast<void>(std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr)));
    return text;
}

// The system's own words for an HRESULT, without the line break it ends in.
std::string Describe(HRESULT hr) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) {
        text = platform::utf16::ToUtf8(std::wstring_view(buffer, length));
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                                 text.back() == '.')) {
            text.pop_back();
        }
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    return text.empty() ? "error " + Hex(hr) : text + " (" + Hex(hr) + ")";
}

// One COM reference.
template <class T>
class Com {
  public:
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p_ != nullptr) {
            p_->Release();
        }
    }
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }

  private:
    T* p_ = nullptr;
};

// COM for the calling thread for as long as the call runs. A thread that
// already has COM in the other threading model can use it all the same.
class ComScope {
  public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(hr_)) {
            CoUninitialize();
        }
    }
    [[nodiscard]] bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }
    [[nodiscard]] HRESULT Result() const { return hr_; }

  private:
    HRESULT hr_;
};

// COM on the calling thread and the imaging factory, for one read or write
// of the file at path.
class Imaging {
  public:
    Imaging() = default;
    Imaging(const Imaging&) = delete;
    Imaging& operator=(const Imaging&) = delete;

    // The reason (naming path) when either is missing.
    platform::Result<void> Start(const std::string& path) {
        if (!com_.Usable()) {
            return platform::Fail(path + ": COM: " + Describe(com_.Result()));
        }
        const HRESULT hr =
            CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IWICImagingFactory, reinterpret_cast<void**>(factory_.Out()));
        if (FAILED(hr)) {
            return platform::Fail(path + ": no imaging component: " + Describe(hr));
        }
        return {};
    }
    [[nodiscard]] IWICImagingFactory* Factory() const { return factory_.Get(); }

  private:
    ComScope com_;  // first: the factory is released before COM ends
    Com<IWICImagingFactory> factory_;
};

// Writes the encoded picture; the caller removes the file on failure.
HRESULT Encode(IWICImagingFactory* factory, const std::wstring& path,
               const std::vector<std::uint8_t>& bgr, UINT width, UINT height, const char** step) {
    Com<IWICStream> stream;
    *step = "cannot create the file";
    HRESULT hr = factory->CreateStream(stream.Out());
    if (SUCCEEDED(hr)) {
        hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    }
    if (FAILED(hr)) {
        return hr;
    }
    *step = "cannot encode PNG";
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    Com<IPropertyBag2> properties;
    hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out());
    if (SUCCEEDED(hr)) {
        hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    }
    if (SUCCEEDED(hr)) {
        hr = encoder->CreateNewFrame(frame.Out(), properties.Out());
    }
    if (SUCCEEDED(hr)) {
        hr = frame->Initialize(properties.Get());
    }
    if (SUCCEEDED(hr)) {
        hr = frame->SetSize(width, height);
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr)) {
        hr = frame->SetPixelFormat(&format);
    }
    if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    }
    if (SUCCEEDED(hr)) {
        hr = frame->WritePixels(height, width * 3, static_cast<UINT>(bgr.size()),
                                const_cast<BYTE*>(bgr.data()));
    }
    if (SUCCEEDED(hr)) {
        hr = frame->Commit();
    }
    if (SUCCEEDED(hr)) {
        hr = encoder->Commit();
    }
    if (SUCCEEDED(hr)) {
        *step = "cannot write the file";
        hr = stream->Commit(STGC_DEFAULT);
    }
    return hr;
}

}  // namespace

platform::Result<void> WritePng(const Framebuffer& fb, const std::string& path) {
    if (fb.Width() <= 0 || fb.Height() <= 0) {
        return platform::Fail(path + ": the picture is empty");
    }
    const auto width = static_cast<UINT>(fb.Width());
    const auto height = static_cast<UINT>(fb.Height());
    // WIC's 24-bit format is blue, green, red in each pixel.
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(width) * height * 3U);
    const std::uint32_t* source = fb.Data();
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
        bgr[i * 3] = BlueOf(source[i]);
        bgr[i * 3 + 1] = GreenOf(source[i]);
        bgr[i * 3 + 2] = RedOf(source[i]);
    }
    Imaging imaging;
    if (platform::Result<void> started = imaging.Start(path); !started) {
        return started;
    }
    const std::wstring wide = platform::utf16::FromUtf8Lossy(path);
    const char* step = "";
    if (const HRESULT hr = Encode(imaging.Factory(), wide, bgr, width, height, &step); FAILED(hr)) {
        DeleteFileW(wide.c_str());
        return platform::Fail(path + ": " + step + ": " + Describe(hr));
    }
    return {};
}

platform::Result<void> ReadPng(const std::string& path, Framebuffer* out) {
    Imaging imaging;
    if (platform::Result<void> started = imaging.Start(path); !started) {
        return started;
    }
    const std::wstring wide = platform::utf16::FromUtf8Lossy(path);
    Com<IWICBitmapDecoder> decoder;
    HRESULT hr = imaging.Factory()->CreateDecoderFromFilename(
        wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, decoder.Out());
    if (FAILED(hr)) {
        return platform::Fail(path + ": " + Describe(hr));
    }
    GUID container{};
    if (FAILED(decoder->GetContainerFormat(&container)) ||
        !IsEqualGUID(container, GUID_ContainerFormatPng)) {
        return platform::Fail(path + ": not a PNG file");
    }
    Com<IWICBitmapFrameDecode> frame;
    hr = decoder->GetFrame(0, frame.Out());
    if (FAILED(hr)) {
        return platform::Fail(path + ": " + Describe(hr));
    }
    UINT width = 0;
    UINT height = 0;
    hr = frame->GetSize(&width, &height);
    if (FAILED(hr)) {
        return platform::Fail(path + ": " + Describe(hr));
    }
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
        return platform::Fail(path + ": a picture of " + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels is not read");
    }
    // Whatever the file holds, as 32-bit blue, green, red, alpha; the alpha
    // is dropped (the framebuffer has none).
    Com<IWICFormatConverter> converter;
    hr = imaging.Factory()->CreateFormatConverter(converter.Out());
    if (SUCCEEDED(hr)) {
        hr = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    if (SUCCEEDED(hr)) {
        hr = converter->CopyPixels(nullptr, width * 4U, static_cast<UINT>(pixels.size() * 4U),
                                   reinterpret_cast<BYTE*>(pixels.data()));
    }
    if (FAILED(hr)) {
        return platform::Fail(path + ": cannot decode: " + Describe(hr));
    }
    Framebuffer picture(static_cast<int>(width), static_cast<int>(height));
    // Blue, green, red, alpha bytes are the word 0xAARRGGBB on a
    // little-endian machine: the framebuffer's layout once alpha is cleared.
    std::uint32_t* target = picture.Data();
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        target[i] = pixels[i] & 0x00FFFFFFU;
    }
    *out = std::move(picture);
    return {};
}

}  // namespace ui
