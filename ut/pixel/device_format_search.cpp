#include "ut_diag.h"
#include "ut/pixel/format_match.h"
#include "win32/com_ptr.h"

namespace {

// Everything CheckDeviceFormat needs to know about the device's adapter and display.
struct FormatProbe {
  ComPtr<IDirect3D9> d3d;
  D3DCAPS9 caps{};
  D3DDISPLAYMODE displayMode{};
  DWORD usage = 0;
};

// The queries' results are not checked: a device that cannot answer one is probed with zeroed
// values, and one that cannot give its Direct3D object is not probed at all.
FormatProbe PrepareProbe(IDirect3DDevice9* device, DWORD usage) {
  FormatProbe probe;
  probe.usage = usage;
  if (device == nullptr) return probe;
  device->GetDirect3D(probe.d3d.GetAddressOf());
  device->GetDeviceCaps(&probe.caps);
  device->GetDisplayMode(0, &probe.displayMode);
  if (usage & D3DUSAGE_QUERY_VERTEXTEXTURE) {
    // A software-processing device samples vertex textures in software, so ask about that use.
    D3DDEVICE_CREATION_PARAMETERS parameters{};
    device->GetCreationParameters(&parameters);
    if (parameters.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) {
      probe.usage |= D3DUSAGE_SOFTWAREPROCESSING;
    }
  }
  return probe;
}

bool IsSupported(const FormatProbe& probe, D3DRESOURCETYPE resourceType, D3DFORMAT format) {
  if (!probe.d3d) return true;
  return SUCCEEDED(probe.d3d->CheckDeviceFormat(probe.caps.AdapterOrdinal, probe.caps.DeviceType,
                                                probe.displayMode.Format, probe.usage,
                                                resourceType, format));
}

}  // namespace

D3DFORMAT FindClosestDeviceFormat(IDirect3DDevice9* device, DWORD usage,
                                  D3DRESOURCETYPE resourceType, const PixelFormatInfo& desired) {
  // Most probes fail by design; keep them out of the runtime's debug output.
  UtDebugMute(TRUE);
  ClosestFormatChoice choice;
  {
    const FormatProbe probe = PrepareProbe(device, usage);
    for (const PixelFormatInfo& candidate : PixelFormatCatalogue()) {
      if (!IsSupported(probe, resourceType, candidate.format)) continue;
      // An exact match stands whatever its substitutable flag: a supported DXT, YUV,
      // floating-point or 24-bit request stays as asked.
      if (candidate.format == desired.format) {
        choice.Take(candidate);
        break;
      }
      if (!candidate.substitutable) continue;
      choice.Consider(desired, candidate);
    }
  }  // the Direct3D object is released before the runtime speaks again
  UtDebugMute(FALSE);
  return choice.Format();
}
