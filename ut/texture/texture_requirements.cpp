#include "ut/texture/texture_requirements.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "ut/pixel/format_match.h"
#include "ut/pixel/pixel_format.h"
#include "ut_texture.h"

static_assert(kAcceptedTextureUsage == ~0xFFE039ECu);
static_assert(CreationUsage(0xFFFFFFFFu) == 0xFFE07FFFu);

namespace {

// What each kind of texture asks of TextureCaps.
struct TextureKindRules {
  D3DRESOURCETYPE type;
  DWORD powerOfTwoCap;  // sizes must be powers of two
  DWORD mipmapCap;      // the texture may have mip levels
};

constexpr TextureKindRules kTextureKinds[] = {
    {D3DRTYPE_TEXTURE, D3DPTEXTURECAPS_POW2, D3DPTEXTURECAPS_MIPMAP},
    {D3DRTYPE_VOLUMETEXTURE, D3DPTEXTURECAPS_VOLUMEMAP_POW2, D3DPTEXTURECAPS_MIPVOLUMEMAP},
    {D3DRTYPE_CUBETEXTURE, D3DPTEXTURECAPS_CUBEMAP_POW2, D3DPTEXTURECAPS_MIPCUBEMAP},
};

const TextureKindRules* FindTextureKind(D3DRESOURCETYPE type) {
  for (const TextureKindRules& kind : kTextureKinds) {
    if (kind.type == type) return &kind;
  }
  return nullptr;
}

constexpr D3DFORMAT kBlockCompressedFormats[] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3,
                                                 D3DFMT_DXT4, D3DFMT_DXT5};

bool IsBlockCompressed(D3DFORMAT format) {
  return std::find(std::begin(kBlockCompressedFormats), std::end(kBlockCompressedFormats),
                   format) != std::end(kBlockCompressedFormats);
}

constexpr UINT kDefaultSize = 256;
constexpr UINT kLargestPowerOfTwo = 0x80000000u;
constexpr UINT kBlockEdge = 4;

// A request too large to raise in 32 bits fails instead of wrapping to 0.
bool RaiseToPowerOfTwo(UINT& value) {
  if (value > kLargestPowerOfTwo) return false;
  value = std::bit_ceil(std::max(value, 1u));
  return true;
}

bool RaiseToWholeBlocks(UINT& value) {
  if (value > UINT32_MAX - (kBlockEdge - 1)) return false;
  value = (value + kBlockEdge - 1) / kBlockEdge * kBlockEdge;
  return true;
}

bool AllPowersOfTwo(UINT w, UINT h, UINT d) {
  return std::has_single_bit(w) && std::has_single_bit(h) && std::has_single_bit(d);
}

// Width and height from the request: 256 x 256 when neither is given, else a missing one
// takes the other's value; a zero edge is one texel.
void ChooseSize(UINT& w, UINT& h) {
  if (w == UT_DEFAULT && h == UT_DEFAULT) {
    w = h = kDefaultSize;
    return;
  }
  if (w == UT_DEFAULT) w = h;
  if (h == UT_DEFAULT) h = w;
  if (w == 0) w = 1;
  if (h == 0) h = 1;
}

void LimitToDevice(const D3DCAPS9& caps, D3DRESOURCETYPE type, UINT& w, UINT& h, UINT& d) {
  if (type == D3DRTYPE_VOLUMETEXTURE) {
    d = std::min<UINT>(d, caps.MaxVolumeExtent);
    w = std::min<UINT>(w, caps.MaxVolumeExtent);
    h = std::min<UINT>(h, caps.MaxVolumeExtent);
    return;
  }
  w = std::min<UINT>(w, caps.MaxTextureWidth);
  h = std::min<UINT>(h, caps.MaxTextureHeight);
  if (type == D3DRTYPE_CUBETEXTURE) {
    // Faces stay square under the tighter of the two limits: the level count and the power-of-
    // two rule are worked out on the edge the texture will really have.
    w = h = std::min(w, h);
    return;
  }
  const uint64_t aspect =
      (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) ? 1 : caps.MaxTextureAspectRatio;
  if (aspect == 0) return;
  // In 64 bits: a generous limit times a large edge must not wrap.
  w = static_cast<UINT>(std::min<uint64_t>(w, aspect * h));
  h = static_cast<UINT>(std::min<uint64_t>(h, aspect * w));
}

// Full chain length: the bit length of the largest edge, so 100 x 60 has 7 levels.
UINT FullChainLength(UINT w, UINT h, UINT d) {
  return static_cast<UINT>(std::max({std::bit_width(w), std::bit_width(h), std::bit_width(d)}));
}

}  // namespace

HRESULT NegotiateTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height,
                                     UINT* depth, UINT* mipLevels, DWORD usage,
                                     D3DFORMAT* format, D3DPOOL pool,
                                     D3DRESOURCETYPE resourceType) {
  if (device == nullptr) return D3DERR_INVALIDCALL;
  const TextureKindRules* kind = FindTextureKind(resourceType);
  if (kind == nullptr) return D3DERR_INVALIDCALL;
  if (usage == UT_DEFAULT) usage = 0;
  if ((usage & ~kAcceptedTextureUsage) != 0) return D3DERR_INVALIDCALL;
  if (pool > D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
  // Scratch textures are plain memory: the device's formats and caps do not apply to them.
  const bool scratch = pool == D3DPOOL_SCRATCH;

  D3DFORMAT chosenFormat = format ? *format : D3DFMT_UNKNOWN;
  if (scratch) {
    if (chosenFormat == D3DFMT_UNKNOWN) chosenFormat = D3DFMT_A8R8G8B8;
  } else {
    chosenFormat = FindClosestDeviceFormat(device, usage, resourceType,
                                           *GetPixelFormatInfo(chosenFormat));
    if (chosenFormat == D3DFMT_UNKNOWN) return D3DERR_NOTAVAILABLE;
  }

  UINT w = width ? *width : UT_DEFAULT;
  UINT h = height ? *height : UT_DEFAULT;
  UINT d = depth ? *depth : UT_DEFAULT;
  const UINT requestedLevels = mipLevels ? *mipLevels : UT_DEFAULT;

  ChooseSize(w, h);
  if (resourceType == D3DRTYPE_CUBETEXTURE) w = h = std::max(w, h);
  if (resourceType != D3DRTYPE_VOLUMETEXTURE || d == UT_DEFAULT || d == 0) d = 1;

  D3DCAPS9 caps = {};
  if (!scratch) {
    const HRESULT hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) return hr;
    LimitToDevice(caps, resourceType, w, h, d);

    // A single-level texture may ignore the power-of-two rule where the device allows it,
    // except a block-compressed one.
    const bool waived = requestedLevels == 1 &&
                        (caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) != 0 &&
                        !IsBlockCompressed(chosenFormat);
    if ((caps.TextureCaps & kind->powerOfTwoCap) != 0 && !waived) {
      if (!RaiseToPowerOfTwo(w) || !RaiseToPowerOfTwo(h) || !RaiseToPowerOfTwo(d)) {
        return D3DERR_INVALIDCALL;
      }
    }
  }

  // Block-compressed data comes in 4 x 4 blocks, so each edge holds whole blocks.
  if (IsBlockCompressed(chosenFormat) && (!RaiseToWholeBlocks(w) || !RaiseToWholeBlocks(h))) {
    return D3DERR_INVALIDCALL;
  }

  UINT levels = 1;
  const bool singleLevelOnly =
      !scratch && ((caps.TextureCaps & kind->mipmapCap) == 0 ||
                   ((caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) != 0 &&
                    !AllPowersOfTwo(w, h, d)));
  if (!singleLevelOnly) {
    const UINT fullChain = FullChainLength(w, h, d);
    levels = (requestedLevels == 0 || requestedLevels > fullChain) ? fullChain : requestedLevels;
    // The device builds the sublevels itself and wants 0 for "all of them".
    if (levels != 1 && (usage & D3DUSAGE_AUTOGENMIPMAP) != 0) levels = 0;
  }

  if (width) *width = w;
  if (height) *height = h;
  if (depth) *depth = d;
  if (mipLevels) *mipLevels = levels;
  if (format) *format = chosenFormat;
  return S_OK;
}

HRESULT WINAPI UtCheckTextureRequirements(IDirect3DDevice9* pDevice, UINT* pWidth, UINT* pHeight,
                                          UINT* pNumMipLevels, DWORD Usage, D3DFORMAT* pFormat,
                                          D3DPOOL Pool) {
  return NegotiateTextureRequirements(pDevice, pWidth, pHeight, nullptr, pNumMipLevels, Usage,
                                      pFormat, Pool, D3DRTYPE_TEXTURE);
}

HRESULT WINAPI UtCheckCubeTextureRequirements(IDirect3DDevice9* pDevice, UINT* pSize,
                                              UINT* pNumMipLevels, DWORD Usage,
                                              D3DFORMAT* pFormat, D3DPOOL Pool) {
  return NegotiateTextureRequirements(pDevice, pSize, pSize, nullptr, pNumMipLevels, Usage,
                                      pFormat, Pool, D3DRTYPE_CUBETEXTURE);
}

HRESULT WINAPI UtCheckVolumeTextureRequirements(IDirect3DDevice9* pDevice, UINT* pWidth,
                                                UINT* pHeight, UINT* pDepth,
                                                UINT* pNumMipLevels, DWORD Usage,
                                                D3DFORMAT* pFormat, D3DPOOL Pool) {
  return NegotiateTextureRequirements(pDevice, pWidth, pHeight, pDepth, pNumMipLevels, Usage,
                                      pFormat, Pool, D3DRTYPE_VOLUMETEXTURE);
}
