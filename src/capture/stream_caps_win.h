// Pins and stream capabilities of a capture filter.
#pragma once
#include <windows.h>
#include <dshow.h>

#include <cstdint>
#include <functional>

// Frees a media type's format block and its IUnknown (not the structure itself).
void FreeMediaTypeContents(AM_MEDIA_TYPE& mt);
void DeleteMediaType(AM_MEDIA_TYPE* mt);

// The first pin of the direction; with unconnectedOnly, the first whose ConnectedTo says
// VFW_E_NOT_CONNECTED. skip pins are passed over first. Returns an owned reference or null.
IPin* FindPin(IBaseFilter* filter, PIN_DIRECTION dir, bool unconnectedOnly, int skip = 0);

// The camera's capture pin: the output pin whose pin category (IKsPropertySet) is
// PIN_CATEGORY_CAPTURE; for a camera whose pins do not say, its first output pin. An owned
// reference or null.
IPin* FindCapturePin(IBaseFilter* filter);
// The first unconnected output pin of the category; null when no pin says it has it.
IPin* FindUnconnectedPinOfCategory(IBaseFilter* filter, const GUID& category);

struct StreamCap {
    AM_MEDIA_TYPE* mediaType;  // valid only during the call
    uint32_t subtype;          // kSubtypeMjpg or kSubtypeYuy2
    int32_t width, height;
    int index;                 // the capability's index in IAMStreamConfig
    bool videoInfo2;           // its format block is VideoInfo2
};

// Walks the capabilities of the filter's capture pin that are video, MJPG or YUY2, with a
// VideoInfo or VideoInfo2 format block; visit returns true to stop. Does nothing unless the pin
// has IAMStreamConfig with 128-byte capability records. The config is handed to visit so it
// can set a format.
void ForEachStreamCap(IBaseFilter* filter, const std::function<bool(IAMStreamConfig*, const StreamCap&)>& visit);
