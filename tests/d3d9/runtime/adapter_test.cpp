// The Direct3D object and the default adapter: creation, caps, format support, devices.
#include <cstring>

#include "runtime_fixture.h"
#include "win32/window.h"

namespace {

using d3d9rt_test::RuntimeTest;
using d3d9rt_test::WindowedParameters;

TEST(Direct3DCreate9, OnlySdkVersion31GivesAnObject) {
  d3d9rt::Reset();
  for (UINT version : {0u, 30u, 32u, 0xffffffffu}) {
    EXPECT_EQ(Direct3DCreate9(version), nullptr) << version;
  }
  IDirect3D9* d3d = Direct3DCreate9(31);
  ASSERT_NE(d3d, nullptr);
  EXPECT_EQ(d3d->GetAdapterCount(), 1u);
  EXPECT_EQ(d3d9rt::LiveObjectCount(), 1);
  EXPECT_EQ(d3d->Release(), 0u);
  EXPECT_EQ(d3d9rt::LiveObjectCount(), 0);
}

TEST_F(RuntimeTest, DefaultCapsDescribeAShaderModel3Card) {
  D3DCAPS9 caps;
  ASSERT_EQ(d3d9_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  for (DWORD bit : {D3DPTEXTURECAPS_POW2, D3DPTEXTURECAPS_NONPOW2CONDITIONAL,
                    D3DPTEXTURECAPS_MIPMAP, D3DPTEXTURECAPS_MIPCUBEMAP,
                    D3DPTEXTURECAPS_MIPVOLUMEMAP, D3DPTEXTURECAPS_CUBEMAP_POW2,
                    D3DPTEXTURECAPS_VOLUMEMAP_POW2, D3DPTEXTURECAPS_CUBEMAP,
                    D3DPTEXTURECAPS_VOLUMEMAP}) {
    EXPECT_TRUE(caps.TextureCaps & bit) << std::hex << bit;
  }
  EXPECT_FALSE(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY);
  EXPECT_EQ(caps.MaxTextureWidth, 4096u);
  EXPECT_EQ(caps.MaxTextureHeight, 4096u);
  EXPECT_EQ(caps.MaxVolumeExtent, 512u);
  EXPECT_EQ(caps.MaxTextureAspectRatio, 4096u);
  EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
  EXPECT_EQ(caps.AdapterOrdinal, 0u);

  D3DCAPS9 fromDevice;
  ASSERT_EQ(device_->GetDeviceCaps(&fromDevice), D3D_OK);
  EXPECT_EQ(std::memcmp(&caps, &fromDevice, sizeof(caps)), 0);
}

TEST_F(RuntimeTest, OnlyTheHalOfAdapterZeroExists) {
  D3DCAPS9 caps;
  EXPECT_EQ(d3d9_->GetDeviceCaps(1, D3DDEVTYPE_HAL, &caps), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9_->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d9_->GetDeviceCaps(0, static_cast<D3DDEVTYPE>(9), &caps), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9_->GetDeviceCaps(0, D3DDEVTYPE_HAL, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9_->CheckDeviceFormat(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE,
                                     D3DFMT_A8R8G8B8),
            D3DERR_NOTAVAILABLE);
}

TEST_F(RuntimeTest, CapsOverrideReachesBothQueries) {
  D3DCAPS9 caps = d3d9rt::DefaultCaps();
  caps.MaxTextureAspectRatio = 8;
  caps.TextureCaps &= ~D3DPTEXTURECAPS_POW2;
  d3d9rt::SetCaps(caps);
  D3DCAPS9 a, b;
  ASSERT_EQ(d3d9_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &a), D3D_OK);
  ASSERT_EQ(device_->GetDeviceCaps(&b), D3D_OK);
  EXPECT_EQ(a.MaxTextureAspectRatio, 8u);
  EXPECT_EQ(b.MaxTextureAspectRatio, 8u);
  EXPECT_FALSE(b.TextureCaps & D3DPTEXTURECAPS_POW2);
  // And creation obeys it: 2048 x 16 is beyond an aspect ratio of 8.
  ComPtr<IDirect3DTexture9> t;
  EXPECT_EQ(device_->CreateTexture(2048, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                   t.GetAddressOf(), nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(128, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                   t.GetAddressOf(), nullptr),
            D3D_OK);
}

struct FormatCase {
  DWORD usage;
  D3DRESOURCETYPE type;
  D3DFORMAT format;
  HRESULT expected;
};

TEST_F(RuntimeTest, DefaultAdapterFormatTable) {
  const FormatCase cases[] = {
      // Textures: common colour, luminance, signed, DXT and float formats.
      {0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_R5G6B5, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A4R4G4B4, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A2B10G10R10, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_L8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A8L8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_L16, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_V8U8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_Q8W8V8U8, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_V16U16, D3D_OK},
      {0, D3DRTYPE_CUBETEXTURE, D3DFMT_DXT1, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_DXT3, D3D_OK},
      {0, D3DRTYPE_VOLUMETEXTURE, D3DFMT_DXT5, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_R16F, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A16B16G16R16F, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_R32F, D3D_OK},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A32B32G32R32F, D3D_OK},
      // ... and not the ones that make the library fall back.
      {0, D3DRTYPE_TEXTURE, D3DFMT_R8G8B8, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_P8, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_A8P8, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_YUY2, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_UYVY, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_R8G8_B8G8, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_G8R8_G8B8, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_D16, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_D24S8, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_TEXTURE, D3DFMT_D24S8, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, static_cast<D3DFORMAT>(0x36314C41), D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_TEXTURE, D3DFMT_UNKNOWN, D3DERR_NOTAVAILABLE},
      // Surfaces by use.
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, D3D_OK},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16, D3D_OK},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D32, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, D3DFMT_A8R8G8B8, D3D_OK},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE, D3DFMT_L8, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_R16F, D3D_OK},
      {D3DUSAGE_RENDERTARGET, D3DRTYPE_VOLUMETEXTURE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
      {0, D3DRTYPE_SURFACE, D3DFMT_YUY2, D3D_OK},
      {0, D3DRTYPE_SURFACE, D3DFMT_R8G8B8, D3DERR_NOTAVAILABLE},
      // Automatic mipmaps only for formats the runtime filters.
      {D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
      {D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_TEXTURE, D3DFMT_L8, D3DOK_NOAUTOGEN},
      {D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_TEXTURE, D3DFMT_DXT1, D3DOK_NOAUTOGEN},
      {D3DUSAGE_AUTOGENMIPMAP, D3DRTYPE_VOLUMETEXTURE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
      // Query bits.
      {D3DUSAGE_QUERY_FILTER, D3DRTYPE_TEXTURE, D3DFMT_R32F, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_QUERY_FILTER, D3DRTYPE_TEXTURE, D3DFMT_R16F, D3D_OK},
      {D3DUSAGE_QUERY_VERTEXTEXTURE, D3DRTYPE_TEXTURE, D3DFMT_R32F, D3D_OK},
      {D3DUSAGE_QUERY_VERTEXTEXTURE | D3DUSAGE_SOFTWAREPROCESSING, D3DRTYPE_TEXTURE,
       D3DFMT_A32B32G32R32F, D3D_OK},
      {D3DUSAGE_QUERY_VERTEXTEXTURE, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3DERR_NOTAVAILABLE},
      {D3DUSAGE_QUERY_LEGACYBUMPMAP, D3DRTYPE_TEXTURE, D3DFMT_V8U8, D3D_OK},
      {D3DUSAGE_QUERY_SRGBWRITE, D3DRTYPE_TEXTURE, D3DFMT_L8, D3DERR_NOTAVAILABLE},
      // Buffers and invalid usages.
      {0, D3DRTYPE_VERTEXBUFFER, D3DFMT_VERTEXDATA, D3D_OK},
      {0, D3DRTYPE_INDEXBUFFER, D3DFMT_INDEX16, D3D_OK},
      {D3DUSAGE_WRITEONLY, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3DERR_INVALIDCALL},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(d3d9_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, c.type,
                                       c.format),
              c.expected)
        << "usage " << std::hex << c.usage << " type " << std::dec << c.type << " format "
        << std::hex << c.format;
  }
}

TEST_F(RuntimeTest, TheAdapterFormatMustBeADisplayFormat) {
  EXPECT_EQ(d3d9_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, 0, D3DRTYPE_TEXTURE,
                                     D3DFMT_A8R8G8B8),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d9_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, 0, D3DRTYPE_TEXTURE,
                                     D3DFMT_A8R8G8B8),
            D3D_OK);
}

TEST_F(RuntimeTest, FormatRulesReplaceTheTable) {
  auto check = [&](D3DFORMAT format, DWORD usage = 0, D3DRESOURCETYPE type = D3DRTYPE_TEXTURE) {
    return d3d9_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, usage, type, format);
  };
  d3d9rt::SetFormatRule(d3d9rt::EveryFormatExcept({D3DFMT_L8, D3DFMT_DXT1}));
  EXPECT_EQ(check(D3DFMT_L8), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(check(D3DFMT_DXT1), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(check(D3DFMT_R8G8B8), D3D_OK);
  EXPECT_EQ(check(D3DFMT_P8), D3D_OK);
  EXPECT_EQ(check(D3DFMT_D24S8), D3D_OK);
  EXPECT_EQ(check(static_cast<D3DFORMAT>(0x36314C41)), D3DERR_NOTAVAILABLE);  // no storage
  // The rule governs creation too, in every pool.
  ComPtr<IDirect3DTexture9> t;
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_L8, D3DPOOL_SCRATCH, t.GetAddressOf(),
                                   nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, t.GetAddressOf(),
                                   nullptr),
            D3D_OK);

  d3d9rt::SetFormatRule(d3d9rt::DefaultAdapterExcept({D3DFMT_A8R8G8B8}));
  EXPECT_EQ(check(D3DFMT_A8R8G8B8), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(check(D3DFMT_X8R8G8B8), D3D_OK);
  EXPECT_EQ(check(D3DFMT_R8G8B8), D3DERR_NOTAVAILABLE);

  // A rule sees what was asked.
  d3d9rt::FormatQuery seen = {};
  d3d9rt::SetFormatRule([&](const d3d9rt::FormatQuery& q) {
    seen = q;
    return q.usage & D3DUSAGE_DYNAMIC ? D3DERR_NOTAVAILABLE : D3D_OK;
  });
  EXPECT_EQ(check(D3DFMT_A8L8, D3DUSAGE_DYNAMIC, D3DRTYPE_CUBETEXTURE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(seen.format, D3DFMT_A8L8);
  EXPECT_EQ(seen.type, D3DRTYPE_CUBETEXTURE);
  EXPECT_EQ(seen.pool, D3DPOOL_DEFAULT);
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8L8, D3DPOOL_SYSTEMMEM,
                                   t.ReleaseAndGetAddressOf(), nullptr),
            D3D_OK);
  EXPECT_EQ(seen.pool, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(seen.type, D3DRTYPE_TEXTURE);

  d3d9rt::SetFormatRule(nullptr);
  EXPECT_EQ(check(D3DFMT_R8G8B8), D3DERR_NOTAVAILABLE);
}

TEST_F(RuntimeTest, DeviceReportsItsCreationAndDisplayMode) {
  D3DDEVICE_CREATION_PARAMETERS creation;
  ASSERT_EQ(device_->GetCreationParameters(&creation), D3D_OK);
  EXPECT_EQ(creation.AdapterOrdinal, 0u);
  EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_HAL);
  EXPECT_EQ(creation.BehaviorFlags, D3DCREATE_HARDWARE_VERTEXPROCESSING);

  D3DDISPLAYMODE mode;
  ASSERT_EQ(device_->GetDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(device_->GetDisplayMode(1, &mode), D3DERR_INVALIDCALL);
  d3d9rt::SetDisplayMode({800, 600, 75, D3DFMT_R5G6B5});
  ASSERT_EQ(d3d9_->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, 800u);
  EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);

  ComPtr<IDirect3D9> d3d;
  ASSERT_EQ(device_->GetDirect3D(d3d.GetAddressOf()), D3D_OK);
  EXPECT_EQ(d3d.Get(), d3d9_.Get());
}

TEST_F(RuntimeTest, CreateDeviceSettlesAndChecksItsParameters) {
  D3DPRESENT_PARAMETERS p = WindowedParameters(32, 16);
  p.BackBufferFormat = D3DFMT_UNKNOWN;
  p.BackBufferCount = 0;
  ComPtr<IDirect3DDevice9> device;
  ASSERT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                &p, device.GetAddressOf()),
            D3D_OK);
  EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);  // the display format, written back
  EXPECT_EQ(p.BackBufferCount, 1u);
  ComPtr<IDirect3DSurface9> back;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(back->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 32u);
  EXPECT_EQ(desc.Height, 16u);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(desc.Usage, D3DUSAGE_RENDERTARGET);
  EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
  ComPtr<IDirect3DSurface9> depth;
  ASSERT_EQ(device->GetDepthStencilSurface(depth.GetAddressOf()), D3D_OK);
  ASSERT_EQ(depth->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Format, D3DFMT_D24S8);
  EXPECT_EQ(desc.Usage, D3DUSAGE_DEPTHSTENCIL);
  EXPECT_EQ(device->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, back.ReleaseAndGetAddressOf()),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(back, nullptr);

  struct Bad {
    const char* what;
    void (*spoil)(D3DPRESENT_PARAMETERS*, DWORD*);
  };
  const Bad bad[] = {
      {"fullscreen", [](D3DPRESENT_PARAMETERS* q, DWORD*) { q->Windowed = FALSE; }},
      {"two back buffers", [](D3DPRESENT_PARAMETERS* q, DWORD*) { q->BackBufferCount = 2; }},
      {"multisampling",
       [](D3DPRESENT_PARAMETERS* q, DWORD*) { q->MultiSampleType = D3DMULTISAMPLE_4_SAMPLES; }},
      {"luminance back buffer",
       [](D3DPRESENT_PARAMETERS* q, DWORD*) { q->BackBufferFormat = D3DFMT_L8; }},
      {"colour depth buffer",
       [](D3DPRESENT_PARAMETERS* q, DWORD*) { q->AutoDepthStencilFormat = D3DFMT_A8R8G8B8; }},
      {"zero width", [](D3DPRESENT_PARAMETERS* q, DWORD*) { q->BackBufferWidth = 0; }},
      {"no swap effect", [](D3DPRESENT_PARAMETERS* q, DWORD*) { q->SwapEffect = {}; }},
      {"two kinds of vertex processing",
       [](D3DPRESENT_PARAMETERS*, DWORD* f) { *f |= D3DCREATE_SOFTWARE_VERTEXPROCESSING; }},
      {"no vertex processing", [](D3DPRESENT_PARAMETERS*, DWORD* f) { *f = 0; }},
      {"pure software device",
       [](D3DPRESENT_PARAMETERS*, DWORD* f) {
         *f = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
       }},
  };
  const long live = d3d9rt::LiveObjectCount();
  for (const Bad& b : bad) {
    D3DPRESENT_PARAMETERS q = WindowedParameters();
    DWORD flags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    b.spoil(&q, &flags);
    const D3DPRESENT_PARAMETERS before = q;
    IDirect3DDevice9* out = nullptr;
    EXPECT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, flags, &q, &out),
              D3DERR_INVALIDCALL)
        << b.what;
    EXPECT_EQ(out, nullptr) << b.what;
    EXPECT_EQ(std::memcmp(&q, &before, sizeof(q)), 0) << b.what << ": parameters changed";
  }
  EXPECT_EQ(d3d9rt::LiveObjectCount(), live);
  EXPECT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                nullptr, device.ReleaseAndGetAddressOf()),
            D3DERR_INVALIDCALL);
}

TEST_F(RuntimeTest, AZeroBackBufferSizeTakesTheWindowsClientArea) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "RuntimeDeviceWindow";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND window = CreateWindowExA(0, "RuntimeDeviceWindow", "device", WS_OVERLAPPEDWINDOW, 0, 0,
                                200, 150, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  RECT client;
  ASSERT_TRUE(GetClientRect(window, &client));
  ASSERT_GT(client.right, 0);
  ASSERT_GT(client.bottom, 0);

  D3DPRESENT_PARAMETERS p = WindowedParameters(0, 0);
  p.hDeviceWindow = window;
  ComPtr<IDirect3DDevice9> device;
  ASSERT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &p, device.GetAddressOf()),
            D3D_OK);
  EXPECT_EQ(p.BackBufferWidth, static_cast<UINT>(client.right));
  EXPECT_EQ(p.BackBufferHeight, static_cast<UINT>(client.bottom));
  ComPtr<IDirect3DSurface9> back;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(back->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, static_cast<UINT>(client.right));
  EXPECT_EQ(desc.Height, static_cast<UINT>(client.bottom));
  back.Reset();
  device.Reset();

  // One given dimension stays; the focus window stands in for a missing device window.
  p = WindowedParameters(64, 0);
  ASSERT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &p, device.GetAddressOf()),
            D3D_OK);
  EXPECT_EQ(p.BackBufferWidth, 64u);
  EXPECT_EQ(p.BackBufferHeight, static_cast<UINT>(client.bottom));
  EXPECT_EQ(p.hDeviceWindow, window);
  device.Reset();

  ASSERT_TRUE(DestroyWindow(window));
  p = WindowedParameters();
  EXPECT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &p, device.GetAddressOf()),
            D3DERR_INVALIDCALL)
      << "a destroyed window";
  EXPECT_TRUE(UnregisterClassA("RuntimeDeviceWindow", nullptr));
}

TEST_F(RuntimeTest, DeviceWithoutAutomaticDepthStencil) {
  D3DPRESENT_PARAMETERS p = WindowedParameters();
  p.EnableAutoDepthStencil = FALSE;
  ComPtr<IDirect3DDevice9> device;
  ASSERT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &p, device.GetAddressOf()),
            D3D_OK);
  ComPtr<IDirect3DSurface9> depth;
  EXPECT_EQ(device->GetDepthStencilSurface(depth.GetAddressOf()), D3DERR_NOTFOUND);
  DWORD z = 7;
  ASSERT_EQ(device->GetRenderState(D3DRS_ZENABLE, &z), D3D_OK);
  EXPECT_EQ(z, static_cast<DWORD>(D3DZB_FALSE));
  ASSERT_EQ(device_->GetRenderState(D3DRS_ZENABLE, &z), D3D_OK);
  EXPECT_EQ(z, static_cast<DWORD>(D3DZB_TRUE));
}

TEST_F(RuntimeTest, InjectedDeviceCreationFailureLeavesNothing) {
  const long live = d3d9rt::LiveObjectCount();
  d3d9rt::InjectFailure(d3d9rt::kCreateDevice, 1, E_OUTOFMEMORY);
  D3DPRESENT_PARAMETERS p = WindowedParameters();
  IDirect3DDevice9* out = nullptr;
  EXPECT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &p, &out),
            E_OUTOFMEMORY);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(d3d9rt::LiveObjectCount(), live);
  // One-shot: the next creation works.
  ComPtr<IDirect3DDevice9> device;
  EXPECT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &p, device.GetAddressOf()),
            D3D_OK);
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kCreateDevice), 3u);  // the fixture's, the failed one, this
}

}  // namespace
