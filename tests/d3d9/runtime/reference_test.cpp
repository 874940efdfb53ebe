// Reference counting as Direct3D 9 counts: levels share their texture's count, resources hold
// their device, bindings hold nothing the application sees, and GetContainer answers by
// interface.
#include "runtime_fixture.h"

namespace {

using d3d9rt_test::RefCount;
using d3d9rt_test::RuntimeTest;

TEST_F(RuntimeTest, LevelsShareTheirTexturesCount) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  EXPECT_EQ(RefCount(t.Get()), 1u);
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(t->GetSurfaceLevel(2, &level), D3D_OK);
  EXPECT_EQ(RefCount(t.Get()), 2u);
  EXPECT_EQ(level->AddRef(), 3u);
  EXPECT_EQ(level->Release(), 2u);
  // The texture lives on through its level alone.
  IDirect3DTexture9* raw = t.Detach();
  EXPECT_EQ(raw->Release(), 1u);
  D3DSURFACE_DESC desc;
  EXPECT_EQ(level->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 2u);
  const long live = d3d9rt::LiveObjectCount();
  EXPECT_EQ(level->Release(), 0u);
  EXPECT_LT(d3d9rt::LiveObjectCount(), live);
}

TEST_F(RuntimeTest, ResourcesHoldTheirDevice) {
  EXPECT_EQ(RefCount(device_.Get()), 1u);
  ComPtr<IDirect3DTexture9> t = MakeTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  EXPECT_EQ(RefCount(device_.Get()), 2u);
  ComPtr<IDirect3DSurface9> level = Level(t.Get(), 0);
  EXPECT_EQ(RefCount(device_.Get()), 2u);  // the texture's hold covers its levels
  ComPtr<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  EXPECT_EQ(RefCount(device_.Get()), 3u);
  back.Reset();
  level.Reset();
  t.Reset();
  EXPECT_EQ(RefCount(device_.Get()), 1u);

  ComPtr<IDirect3DDevice9> fromResource;
  ComPtr<IDirect3DVertexBuffer9> vb;
  ASSERT_EQ(device_->CreateVertexBuffer(20, 0, 0, D3DPOOL_SYSTEMMEM, vb.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(vb->GetDevice(fromResource.GetAddressOf()), D3D_OK);
  EXPECT_EQ(fromResource.Get(), device_.Get());
}

TEST_F(RuntimeTest, ADeviceOutlivesTheResourcesStillHeld) {
  ComPtr<IDirect3DVolumeTexture9> v;
  ASSERT_EQ(device_->CreateVolumeTexture(4, 4, 4, 0, 0, D3DFMT_L8, D3DPOOL_MANAGED,
                                         v.GetAddressOf(), nullptr),
            D3D_OK);
  ComPtr<IDirect3DVolume9> level;
  ASSERT_EQ(v->GetVolumeLevel(1, level.GetAddressOf()), D3D_OK);
  v.Reset();
  EXPECT_EQ(device_.Detach()->Release(), 1u);  // the volume texture still holds it
  ComPtr<IDirect3DDevice9> device;
  ASSERT_EQ(level->GetDevice(device.GetAddressOf()), D3D_OK);
  D3DLOCKED_BOX box;
  EXPECT_EQ(level->LockBox(&box, nullptr, 0), D3D_OK);
  EXPECT_EQ(level->UnlockBox(), D3D_OK);
  device.Reset();
  level.Reset();  // the last reference: texture, then device go
  d3d9_.Reset();
  EXPECT_EQ(d3d9rt::LiveObjectCount(), 0);
}

TEST_F(RuntimeTest, BindingsKeepResourcesAliveWithoutCountingThem) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ComPtr<IDirect3DVertexBuffer9> vb;
  ASSERT_EQ(device_->CreateVertexBuffer(80, 0, 0, D3DPOOL_DEFAULT, vb.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->SetTexture(0, t.Get()), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), 0, 20), D3D_OK);
  EXPECT_EQ(RefCount(t.Get()), 1u);
  EXPECT_EQ(RefCount(vb.Get()), 1u);
  const long live = d3d9rt::LiveObjectCount();
  t.Reset();
  vb.Reset();
  EXPECT_EQ(d3d9rt::LiveObjectCount(), live);  // still bound
  EXPECT_EQ(RefCount(device_.Get()), 1u);       // but no longer holding the device

  ComPtr<IDirect3DBaseTexture9> bound;
  ASSERT_EQ(device_->GetTexture(0, bound.GetAddressOf()), D3D_OK);
  ASSERT_TRUE(bound);
  EXPECT_EQ(bound->GetType(), D3DRTYPE_TEXTURE);
  EXPECT_EQ(RefCount(bound.Get()), 1u);
  bound.Reset();
  ComPtr<IDirect3DVertexBuffer9> stream;
  UINT offset = 1, stride = 0;
  ASSERT_EQ(device_->GetStreamSource(0, stream.GetAddressOf(), &offset, &stride), D3D_OK);
  EXPECT_EQ(offset, 0u);
  EXPECT_EQ(stride, 20u);
  stream.Reset();

  ASSERT_EQ(device_->SetTexture(0, nullptr), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, nullptr, 0, 0), D3D_OK);
  EXPECT_LT(d3d9rt::LiveObjectCount(), live);
  ASSERT_EQ(device_->GetTexture(0, bound.GetAddressOf()), D3D_OK);
  EXPECT_EQ(bound, nullptr);

  // A device that goes with a binding in place frees what is bound (TearDown checks).
  ComPtr<IDirect3DCubeTexture9> cube;
  ASSERT_EQ(device_->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                       cube.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->SetTexture(D3DVERTEXTEXTURESAMPLER0, cube.Get()), D3D_OK);
  EXPECT_EQ(device_->SetTexture(16, cube.Get()), D3DERR_INVALIDCALL);
}

TEST_F(RuntimeTest, GetContainerAnswersByInterface) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ComPtr<IDirect3DSurface9> level = Level(t.Get(), 1);
  const long refs = d3d9rt::LiveReferenceCount();
  {
    ComPtr<IDirect3DTexture9> container;
    ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture9,
                                  reinterpret_cast<void**>(container.GetAddressOf())),
              D3D_OK);
    EXPECT_EQ(container.Get(), t.Get());
    ComPtr<IDirect3DBaseTexture9> base;
    ASSERT_EQ(level->GetContainer(IID_IDirect3DBaseTexture9,
                                  reinterpret_cast<void**>(base.GetAddressOf())),
              D3D_OK);
    EXPECT_EQ(base.Get(), static_cast<IDirect3DBaseTexture9*>(t.Get()));
  }
  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(level->GetContainer(IID_IDirect3DCubeTexture9, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(level->GetContainer(IID_IDirect3DDevice9, &none), E_NOINTERFACE);
  EXPECT_EQ(level->GetContainer(IID_IDirect3DTexture9, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9rt::LiveReferenceCount(), refs);  // every reference handed out came back

  // Standalone surfaces belong to the device.
  ComPtr<IDirect3DSurface9> rt;
  ASSERT_EQ(device_->CreateRenderTarget(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                        rt.GetAddressOf(), nullptr),
            D3D_OK);
  ComPtr<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  for (IDirect3DSurface9* s : {rt.Get(), back.Get()}) {
    ComPtr<IDirect3DDevice9> owner;
    ASSERT_EQ(s->GetContainer(IID_IDirect3DDevice9, reinterpret_cast<void**>(owner.GetAddressOf())),
              D3D_OK);
    EXPECT_EQ(owner.Get(), device_.Get());
    EXPECT_EQ(s->GetContainer(IID_IDirect3DTexture9, &none), E_NOINTERFACE);
  }

  // Cube faces and volume levels.
  ComPtr<IDirect3DCubeTexture9> cube;
  ASSERT_EQ(device_->CreateCubeTexture(4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                       cube.GetAddressOf(), nullptr),
            D3D_OK);
  ComPtr<IDirect3DSurface9> face;
  ASSERT_EQ(cube->GetCubeMapSurface(D3DCUBEMAP_FACE_POSITIVE_Y, 1, face.GetAddressOf()), D3D_OK);
  ComPtr<IDirect3DCubeTexture9> cubeBack;
  ASSERT_EQ(face->GetContainer(IID_IDirect3DCubeTexture9,
                               reinterpret_cast<void**>(cubeBack.GetAddressOf())),
            D3D_OK);
  EXPECT_EQ(cubeBack.Get(), cube.Get());
  EXPECT_EQ(face->GetContainer(IID_IDirect3DTexture9, &none), E_NOINTERFACE);

  ComPtr<IDirect3DVolumeTexture9> v;
  ASSERT_EQ(device_->CreateVolumeTexture(4, 4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                         v.GetAddressOf(), nullptr),
            D3D_OK);
  ComPtr<IDirect3DVolume9> slice;
  ASSERT_EQ(v->GetVolumeLevel(2, slice.GetAddressOf()), D3D_OK);
  ComPtr<IDirect3DVolumeTexture9> vBack;
  ASSERT_EQ(slice->GetContainer(IID_IDirect3DVolumeTexture9,
                                reinterpret_cast<void**>(vBack.GetAddressOf())),
            D3D_OK);
  EXPECT_EQ(vBack.Get(), v.Get());
  EXPECT_EQ(slice->GetContainer(IID_IDirect3DTexture9, &none), E_NOINTERFACE);
}

TEST_F(RuntimeTest, QueryInterfaceFollowsTheInterfaceTree) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  for (const IID* iid : {&IID_IUnknown, &IID_IDirect3DResource9, &IID_IDirect3DBaseTexture9,
                         &IID_IDirect3DTexture9}) {
    void* out = nullptr;
    ASSERT_EQ(t->QueryInterface(*iid, &out), S_OK);
    static_cast<IUnknown*>(out)->Release();
  }
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(t->QueryInterface(IID_IDirect3DSurface9, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(device_->QueryInterface(IID_IDirect3D9, &out), E_NOINTERFACE);
  ASSERT_EQ(d3d9_->QueryInterface(IID_IDirect3D9, &out), S_OK);
  EXPECT_EQ(out, static_cast<void*>(d3d9_.Get()));
  d3d9_->Release();
}

}  // namespace
