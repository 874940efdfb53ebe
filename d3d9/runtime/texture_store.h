// What 2D, cube and volume textures share inside the runtime: their levels' memory, the dirty
// region that UpdateTexture copies, and automatic mip generation.
#pragma once

#include <vector>

#include "d3d9/d3d9_interfaces.h"
#include "d3d9/runtime/object_lifetime.h"
#include "d3d9/runtime/pixel_plane.h"

namespace d3d9rt {

class Device;

// The parameters a texture was created with, after the runtime settled the level count.
struct TextureShape {
  D3DRESOURCETYPE type;
  UINT width;
  UINT height;
  UINT depth;
  UINT levels;        // levels the application sees
  UINT storedLevels;  // levels kept: the full chain for D3DUSAGE_AUTOGENMIPMAP
  DWORD usage;
  D3DFORMAT format;
  D3DPOOL pool;
};

class TextureStore {
 public:
  const TextureShape& Shape() const { return shape_; }
  UINT Faces() const { return shape_.type == D3DRTYPE_CUBETEXTURE ? 6u : 1u; }
  bool AutoGen() const { return shape_.usage & D3DUSAGE_AUTOGENMIPMAP; }
  Device* TextureDevice() const { return textureDevice_; }

  PixelPlane& Plane(UINT face, UINT level) { return *planes_[face * shape_.storedLevels + level]; }
  bool AnyLevelLocked() const;

  // The region changed since the last UpdateTexture from this texture, in level-0 coordinates.
  bool DirtyArea(UINT face, Area* area) const;
  void AddDirty(UINT face, const Area& levelArea, UINT level);
  void AddDirtyWhole();
  void ClearDirty();

  // A write reached level `level` of `face`: marks it dirty (unless `markDirty` is false, as
  // D3DLOCK_NO_DIRTY_UPDATE asks) and, for automatic mipmaps, makes the sublevels stale.
  void LevelWritten(UINT face, UINT level, const Area& area, bool markDirty);

  // Automatic mipmaps: refilter the hidden sublevels from level 0 when it changed.
  D3DTEXTUREFILTERTYPE AutoGenFilter() const { return autoGenFilter_; }
  HRESULT SetAutoGenFilter(D3DTEXTUREFILTERTYPE filter);
  void GenerateSubLevels();
  bool SubLevelsStale() const { return subLevelsStale_; }

  // The texture's own interface, as GetContainer hands it out.
  virtual HRESULT QueryContainer(REFIID riid, void** out) = 0;
  virtual ObjectLifetime& Lifetime() = 0;

 protected:
  TextureStore(Device* device, const TextureShape& shape);
  virtual ~TextureStore();

  Device* textureDevice_;
  TextureShape shape_;
  std::vector<PixelPlane*> planes_;  // face-major, shape_.storedLevels per face
  DWORD lod_ = 0;

 private:
  struct Dirty {
    bool any;
    Area area;
  };
  std::vector<Dirty> dirty_;  // one per face
  D3DTEXTUREFILTERTYPE autoGenFilter_ = D3DTEXF_LINEAR;
  bool subLevelsStale_ = false;
};

// Our texture behind an interface pointer, or null for an object of another implementation.
TextureStore* AsTextureStore(IDirect3DBaseTexture9* texture);

// Creation checks shared by the three kinds: usage, pool, caps, size and level count. Fills
// `shape` (levels settled) or returns D3DERR_INVALIDCALL with a debug message.
HRESULT ValidateTextureRequest(Device* device, const char* call, TextureShape* shape);

}  // namespace d3d9rt
