// The Slate demo: one window, one Direct3D 9 device, one square drawn in front of the camera on
// every pass of the message loop until Escape is pressed or the window is closed. The program's
// main calls WinMain; tests call the functions one by one.
#pragma once

#include "d3d9/d3d9.h"
#include "win32/win32.h"

// The program's state: empty at start, written only by the functions below.
extern HWND g_window;                          // WinMain
extern IDirect3D9* g_direct3d;                 // SetUpDeviceAndScene
extern IDirect3DDevice9* g_device;             // SetUpDeviceAndScene
extern IDirect3DVertexBuffer9* g_vertexBuffer; // SetUpDeviceAndScene
extern IDirect3DTexture9* g_texture;           // SetUpDeviceAndScene

// One vertex of the square as the runtime reads it: position, then texture coordinate.
struct TexturedVertex {
  float x, y, z;
  float u, v;
};
static_assert(sizeof(TexturedVertex) == 20, "the vertex layout is read by the runtime");

constexpr DWORD TEXTURED_VERTEX_FVF = D3DFVF_XYZ | D3DFVF_TEX1;

// Top left, top right, bottom left, bottom right: a triangle strip whose two triangles run
// clockwise as seen from the camera.
extern const TexturedVertex g_squareVertices[4];

// Returns the process exit code: the quit code of WM_QUIT (0), or 1 when the window class
// can't be registered, the window can't be made, or no Direct3D device can be created.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void SetUpDeviceAndScene();
void DrawFrame();
void ReleaseAll();
