#include "d3d9/runtime/device_state.h"

#include <bit>
#include <cstring>

namespace d3d9rt {
namespace {

constexpr DWORD F(float value) { return std::bit_cast<DWORD>(value); }

struct StateDefault {
  D3DRENDERSTATETYPE state;
  DWORD value;
};

// Every render state Direct3D 9 knows, with the value a new device starts with. D3DRS_ZENABLE
// is set apart: it depends on the automatic depth-stencil surface.
constexpr StateDefault kRenderStateDefaults[] = {
    {D3DRS_ZENABLE, D3DZB_FALSE},
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
    {D3DRS_ZWRITEENABLE, TRUE},
    {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_LASTPIXEL, TRUE},
    {D3DRS_SRCBLEND, D3DBLEND_ONE},
    {D3DRS_DESTBLEND, D3DBLEND_ZERO},
    {D3DRS_CULLMODE, D3DCULL_CCW},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
    {D3DRS_ALPHAREF, 0},
    {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
    {D3DRS_DITHERENABLE, FALSE},
    {D3DRS_ALPHABLENDENABLE, FALSE},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_SPECULARENABLE, FALSE},
    {D3DRS_FOGCOLOR, 0},
    {D3DRS_FOGTABLEMODE, D3DFOG_NONE},
    {D3DRS_FOGSTART, F(0.0f)},
    {D3DRS_FOGEND, F(1.0f)},
    {D3DRS_FOGDENSITY, F(1.0f)},
    {D3DRS_RANGEFOGENABLE, FALSE},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
    {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
    {D3DRS_STENCILREF, 0},
    {D3DRS_STENCILMASK, 0xffffffffu},
    {D3DRS_STENCILWRITEMASK, 0xffffffffu},
    {D3DRS_TEXTUREFACTOR, 0xffffffffu},
    {D3DRS_WRAP0, 0},
    {D3DRS_WRAP1, 0},
    {D3DRS_WRAP2, 0},
    {D3DRS_WRAP3, 0},
    {D3DRS_WRAP4, 0},
    {D3DRS_WRAP5, 0},
    {D3DRS_WRAP6, 0},
    {D3DRS_WRAP7, 0},
    {D3DRS_CLIPPING, TRUE},
    {D3DRS_LIGHTING, TRUE},
    {D3DRS_AMBIENT, 0},
    {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
    {D3DRS_COLORVERTEX, TRUE},
    {D3DRS_LOCALVIEWER, TRUE},
    {D3DRS_NORMALIZENORMALS, FALSE},
    {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
    {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
    {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
    {D3DRS_VERTEXBLEND, 0},
    {D3DRS_CLIPPLANEENABLE, 0},
    {D3DRS_POINTSIZE, F(1.0f)},
    {D3DRS_POINTSIZE_MIN, F(1.0f)},
    {D3DRS_POINTSPRITEENABLE, FALSE},
    {D3DRS_POINTSCALEENABLE, FALSE},
    {D3DRS_POINTSCALE_A, F(1.0f)},
    {D3DRS_POINTSCALE_B, F(0.0f)},
    {D3DRS_POINTSCALE_C, F(0.0f)},
    {D3DRS_MULTISAMPLEANTIALIAS, TRUE},
    {D3DRS_MULTISAMPLEMASK, 0xffffffffu},
    {D3DRS_PATCHEDGESTYLE, 0},
    {D3DRS_DEBUGMONITORTOKEN, 0},
    {D3DRS_POINTSIZE_MAX, F(64.0f)},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE},
    {D3DRS_COLORWRITEENABLE, 0xf},
    {D3DRS_TWEENFACTOR, F(0.0f)},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_POSITIONDEGREE, 3},  // cubic
    {D3DRS_NORMALDEGREE, 1},    // linear
    {D3DRS_SCISSORTESTENABLE, FALSE},
    {D3DRS_SLOPESCALEDEPTHBIAS, F(0.0f)},
    {D3DRS_ANTIALIASEDLINEENABLE, FALSE},
    {D3DRS_MINTESSELLATIONLEVEL, F(1.0f)},
    {D3DRS_MAXTESSELLATIONLEVEL, F(1.0f)},
    {D3DRS_ADAPTIVETESS_X, F(0.0f)},
    {D3DRS_ADAPTIVETESS_Y, F(0.0f)},
    {D3DRS_ADAPTIVETESS_Z, F(1.0f)},
    {D3DRS_ADAPTIVETESS_W, F(0.0f)},
    {D3DRS_ENABLEADAPTIVETESSELLATION, FALSE},
    {D3DRS_TWOSIDEDSTENCILMODE, FALSE},
    {D3DRS_CCW_STENCILFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_CCW_STENCILZFAIL, D3DSTENCILOP_KEEP},
    {D3DRS_CCW_STENCILPASS, D3DSTENCILOP_KEEP},
    {D3DRS_CCW_STENCILFUNC, D3DCMP_ALWAYS},
    {D3DRS_COLORWRITEENABLE1, 0xf},
    {D3DRS_COLORWRITEENABLE2, 0xf},
    {D3DRS_COLORWRITEENABLE3, 0xf},
    {D3DRS_BLENDFACTOR, 0xffffffffu},
    {D3DRS_SRGBWRITEENABLE, FALSE},
    {D3DRS_DEPTHBIAS, F(0.0f)},
    {D3DRS_WRAP8, 0},
    {D3DRS_WRAP9, 0},
    {D3DRS_WRAP10, 0},
    {D3DRS_WRAP11, 0},
    {D3DRS_WRAP12, 0},
    {D3DRS_WRAP13, 0},
    {D3DRS_WRAP14, 0},
    {D3DRS_WRAP15, 0},
    {D3DRS_SEPARATEALPHABLENDENABLE, FALSE},
    {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE},
    {D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO},
    {D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD},
};

// Which render states exist, built from the table above.
struct RenderStateSet {
  bool known[D3DRS_MAX_STATE] = {};
  constexpr RenderStateSet() {
    for (const StateDefault& d : kRenderStateDefaults) known[d.state] = true;
  }
};
constexpr RenderStateSet kRenderStates;

constexpr DWORD kSamplerDefaults[kSamplerStates] = {
    0,                // unused
    D3DTADDRESS_WRAP,  // D3DSAMP_ADDRESSU
    D3DTADDRESS_WRAP,  // D3DSAMP_ADDRESSV
    D3DTADDRESS_WRAP,  // D3DSAMP_ADDRESSW
    0,                // D3DSAMP_BORDERCOLOR
    D3DTEXF_POINT,    // D3DSAMP_MAGFILTER
    D3DTEXF_POINT,    // D3DSAMP_MINFILTER
    D3DTEXF_NONE,     // D3DSAMP_MIPFILTER
    0,                // D3DSAMP_MIPMAPLODBIAS
    0,                // D3DSAMP_MAXMIPLEVEL
    1,                // D3DSAMP_MAXANISOTROPY
    0,                // D3DSAMP_SRGBTEXTURE
    0,                // D3DSAMP_ELEMENTINDEX
    0,                // D3DSAMP_DMAPOFFSET
};

bool IsKnownStageState(DWORD type) {
  switch (type) {
    case D3DTSS_COLOROP: case D3DTSS_COLORARG1: case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAOP: case D3DTSS_ALPHAARG1: case D3DTSS_ALPHAARG2:
    case D3DTSS_BUMPENVMAT00: case D3DTSS_BUMPENVMAT01: case D3DTSS_BUMPENVMAT10:
    case D3DTSS_BUMPENVMAT11: case D3DTSS_TEXCOORDINDEX: case D3DTSS_BUMPENVLSCALE:
    case D3DTSS_BUMPENVLOFFSET: case D3DTSS_TEXTURETRANSFORMFLAGS: case D3DTSS_COLORARG0:
    case D3DTSS_ALPHAARG0: case D3DTSS_RESULTARG: case D3DTSS_CONSTANT:
      return true;
    default:
      return false;
  }
}

}  // namespace

void SetDefaultStates(PipelineState* s, bool depthBuffer, const D3DVIEWPORT9& viewport) {
  std::memset(s->renderStates, 0, sizeof(s->renderStates));
  for (const StateDefault& d : kRenderStateDefaults) s->renderStates[d.state] = d.value;
  s->renderStates[D3DRS_ZENABLE] = depthBuffer ? D3DZB_TRUE : D3DZB_FALSE;

  for (UINT slot = 0; slot < kSamplerSlots; ++slot) {
    std::memcpy(s->samplerStates[slot], kSamplerDefaults, sizeof(kSamplerDefaults));
  }

  for (UINT stage = 0; stage < kTextureStages; ++stage) {
    DWORD* t = s->stageStates[stage];
    std::memset(t, 0, sizeof(s->stageStates[stage]));
    t[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    t[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    t[D3DTSS_TEXCOORDINDEX] = stage;
    t[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    t[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    t[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }

  for (D3DMATRIX& m : s->transforms) {
    std::memset(&m, 0, sizeof(m));
    m._11 = m._22 = m._33 = m._44 = 1.0f;
  }
  s->viewport = viewport;
  s->fvf = 0;
  s->inScene = false;
}

bool IsRenderState(DWORD state) { return state < D3DRS_MAX_STATE && kRenderStates.known[state]; }

bool IsSamplerState(DWORD type) { return type >= D3DSAMP_ADDRESSU && type <= D3DSAMP_DMAPOFFSET; }

bool IsStageState(DWORD type) { return type < kStageStates && IsKnownStageState(type); }

bool IsTransformState(DWORD state) {
  return state == D3DTS_VIEW || state == D3DTS_PROJECTION ||
         (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) ||
         (state >= 256 && state < kTransformSlots);
}

int SamplerSlot(DWORD sampler) {
  if (sampler < 16) return static_cast<int>(sampler);
  if (sampler == D3DDMAPSAMPLER) return 16;
  if (sampler >= D3DVERTEXTEXTURESAMPLER0 && sampler <= D3DVERTEXTEXTURESAMPLER3) {
    return static_cast<int>(17 + sampler - D3DVERTEXTEXTURESAMPLER0);
  }
  return -1;
}

}  // namespace d3d9rt
