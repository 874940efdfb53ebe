#include "demo/slate_app.h"

#include <bit>
#include <cstring>

#include "ut.h"

HWND g_window = nullptr;
IDirect3D9* g_direct3d = nullptr;
IDirect3DDevice9* g_device = nullptr;
IDirect3DVertexBuffer9* g_vertexBuffer = nullptr;
IDirect3DTexture9* g_texture = nullptr;

const TexturedVertex g_squareVertices[4] = {
    {-1.0f, 1.0f, -1.0f, 0.0f, 0.0f},
    {1.0f, 1.0f, -1.0f, 1.0f, 0.0f},
    {-1.0f, -1.0f, -1.0f, 0.0f, 1.0f},
    {1.0f, -1.0f, -1.0f, 1.0f, 1.0f},
};

namespace {

const char kClassName[] = "Slate";
const char kTitle[] = "Direct3D (DX9) - Slate";
// The messages are narrow strings in the ANSI code page, Windows-1251 (Cyrillic):
// "Ошибка при регистрации класса.", "Ошибка создания окна" and
// "Ошибка создания устройства Direct3D".
const char kClassFailed[] =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xF0\xE8 \xF0\xE5\xE3\xE8\xF1\xF2\xF0\xE0\xF6\xE8\xE8 "
    "\xEA\xEB\xE0\xF1\xF1\xE0.";
const char kWindowFailed[] = "\xCE\xF8\xE8\xE1\xEA\xE0 \xF1\xEE\xE7\xE4\xE0\xED\xE8\xFF \xEE\xEA\xED\xE0";
const char kDeviceFailed[] =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xF1\xEE\xE7\xE4\xE0\xED\xE8\xFF "
    "\xF3\xF1\xF2\xF0\xEE\xE9\xF1\xF2\xE2\xE0 Direct3D";

constexpr UINT kSquareBytes = sizeof(g_squareVertices);
static_assert(kSquareBytes == 80);

// The projection: a vertical field of view of pi/4 for a 4:3 picture, from 0.1 to 100.
constexpr float kFieldOfView = 0.7853982f;
constexpr float kAspect = 4.0f / 3.0f;
constexpr float kNearPlane = 0.1f;
constexpr float kFarPlane = 100.0f;
static_assert(std::bit_cast<uint32_t>(kFieldOfView) == 0x3F490FDBu);
static_assert(std::bit_cast<uint32_t>(kAspect) == 0x3FAAAAABu);
static_assert(std::bit_cast<uint32_t>(kNearPlane) == 0x3DCCCCCDu);

// The square's distance: its model sits at z = -1, so it lies in the plane z = 4.
constexpr float kSquareDepth = 5.0f;

constexpr D3DCOLOR kBackground = 0xFF000000;  // opaque black

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      // Escape quits; every other key is taken without default processing.
      if (wParam == VK_ESCAPE) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

// The results of the device's calls are not tested: a call that fails leaves its object null,
// and the steps that need that object are passed over rather than made on a null pointer.
void SetUpDeviceAndScene() {
  g_direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!g_direct3d) return;

  D3DCAPS9 caps;
  std::memset(&caps, 0, sizeof(caps));
  g_direct3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps);
  const DWORD vertexProcessing = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT)
                                     ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                     : D3DCREATE_SOFTWARE_VERTEXPROCESSING;

  D3DPRESENT_PARAMETERS parameters;
  std::memset(&parameters, 0, sizeof(parameters));
  parameters.BackBufferWidth = 640;
  parameters.BackBufferHeight = 480;
  parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
  parameters.MultiSampleQuality = 0;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = g_window;
  parameters.Windowed = TRUE;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  parameters.Flags = 0;
  parameters.FullScreen_RefreshRateInHz = 0;
  parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  g_direct3d->CreateDevice(0, D3DDEVTYPE_HAL, g_window, vertexProcessing, &parameters, &g_device);
  if (!g_device) return;

  g_device->SetRenderState(D3DRS_LIGHTING, FALSE);
  g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);

  UtMatrix projection;
  UtMatrixPerspectiveFovLH(&projection, kFieldOfView, kAspect, kNearPlane, kFarPlane);
  g_device->SetTransform(D3DTS_PROJECTION, &projection);

  g_device->CreateVertexBuffer(kSquareBytes, D3DUSAGE_WRITEONLY, TEXTURED_VERTEX_FVF,
                               D3DPOOL_DEFAULT, &g_vertexBuffer, nullptr);
  if (g_vertexBuffer) {
    void* vertices = nullptr;
    g_vertexBuffer->Lock(0, kSquareBytes, &vertices, 0);
    if (vertices) {
      std::memcpy(vertices, g_squareVertices, kSquareBytes);
      g_vertexBuffer->Unlock();
    }
  }

  // Every setting is the library's default; if "mud.jpg" can't be loaded g_texture stays null
  // and the square is drawn untextured.
  UtCreateTextureFromFileA(g_device, "mud.jpg", &g_texture);

  g_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  g_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
}

void DrawFrame() {
  if (!g_device) return;
  g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
  UtMatrix world;
  UtMatrixTranslation(&world, 0.0f, 0.0f, kSquareDepth);
  g_device->SetTransform(D3DTS_WORLD, &world);
  g_device->BeginScene();
  g_device->SetTexture(0, g_texture);
  g_device->SetStreamSource(0, g_vertexBuffer, 0, sizeof(TexturedVertex));
  g_device->SetFVF(TEXTURED_VERTEX_FVF);
  g_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  g_device->EndScene();
  g_device->Present(nullptr, nullptr, nullptr, nullptr);
}

// In the reverse order of creation; the globals are empty again afterwards.
void ReleaseAll() {
  if (g_texture) g_texture->Release();
  if (g_vertexBuffer) g_vertexBuffer->Release();
  if (g_device) g_device->Release();
  if (g_direct3d) g_direct3d->Release();
  g_texture = nullptr;
  g_vertexBuffer = nullptr;
  g_device = nullptr;
  g_direct3d = nullptr;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
  WNDCLASSA windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = hInstance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass)) {
    MessageBoxA(nullptr, kClassFailed, nullptr, MB_OK);
    return 1;
  }

  // 640 x 480 is the outer size, frame included.
  g_window = CreateWindowExA(WS_EX_OVERLAPPEDWINDOW, kClassName, kTitle, WS_OVERLAPPEDWINDOW, 0,
                             0, 640, 480, nullptr, nullptr, hInstance, nullptr);
  if (!g_window) {
    // The class stays registered until the process ends.
    MessageBoxA(nullptr, kWindowFailed, nullptr, MB_OK);
    return 1;
  }
  ShowWindow(g_window, nCmdShow);
  UpdateWindow(g_window);

  MSG msg;
  std::memset(&msg, 0, sizeof(msg));
  SetUpDeviceAndScene();
  if (!g_device) {
    // Nothing can be drawn: end here rather than run a loop that shows nothing.
    ReleaseAll();
    MessageBoxA(nullptr, kDeviceFailed, nullptr, MB_OK);
    UnregisterClassA(kClassName, hInstance);
    return 1;
  }

  // A frame after every message, and after every look at an empty queue.
  while (msg.message != WM_QUIT) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    DrawFrame();
  }

  ReleaseAll();
  // Fails while the window still exists (after Escape); the window goes with the process.
  UnregisterClassA(kClassName, hInstance);
  return static_cast<int>(msg.wParam);
}
