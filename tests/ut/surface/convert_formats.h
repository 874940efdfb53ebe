// Every per-pixel format with a codec and its bytes per pixel, for the randomised tests.
#pragma once

#include "d3d9/d3d9.h"
#include "ut/pixel/private_formats.h"

struct CodecFormat {
  D3DFORMAT format;
  UINT bytesPerPixel;
};

inline constexpr CodecFormat kCodecFormats[] = {
    {D3DFMT_R8G8B8, 3},        {D3DFMT_A8R8G8B8, 4},      {D3DFMT_X8R8G8B8, 4},      {D3DFMT_R5G6B5, 2},
    {D3DFMT_X1R5G5B5, 2},      {D3DFMT_A1R5G5B5, 2},      {D3DFMT_A4R4G4B4, 2},      {D3DFMT_R3G3B2, 1},
    {D3DFMT_A8, 1},            {D3DFMT_A8R3G3B2, 2},      {D3DFMT_X4R4G4B4, 2},      {D3DFMT_A2B10G10R10, 4},
    {D3DFMT_A8B8G8R8, 4},      {D3DFMT_X8B8G8R8, 4},      {D3DFMT_G16R16, 4},        {D3DFMT_A2R10G10B10, 4},
    {D3DFMT_A16B16G16R16, 8},  {D3DFMT_A8P8, 2},          {D3DFMT_P8, 1},            {D3DFMT_L8, 1},
    {D3DFMT_A8L8, 2},          {D3DFMT_A4L4, 1},          {D3DFMT_L16, 2},           {D3DFMT_V8U8, 2},
    {D3DFMT_L6V5U5, 2},        {D3DFMT_X8L8V8U8, 4},      {D3DFMT_Q8W8V8U8, 4},      {D3DFMT_V16U16, 4},
    {D3DFMT_A2W10V10U10, 4},   {D3DFMT_Q16W16V16U16, 8},  {D3DFMT_CxV8U8, 2},        {D3DFMT_D16_LOCKABLE, 2},
    {D3DFMT_D32F_LOCKABLE, 4}, {D3DFMT_R16F, 2},          {D3DFMT_G16R16F, 4},       {D3DFMT_A16B16G16R16F, 8},
    {D3DFMT_R32F, 4},          {D3DFMT_G32R32F, 8},       {D3DFMT_A32B32G32R32F, 16}, {UT_FMT_A16L16, 4},
    {UT_FMT_R16G16B16, 6},
};
