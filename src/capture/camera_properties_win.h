// The camera's image settings through IAMCameraControl and IAMVideoProcAmp: read at every
// session open, set by the quick-adjust pop-up and from a camera's stored record. After every
// write the record is read back from the camera, so it shows what the camera took (a value it
// refuses leaves the camera's own). User-interface thread only.
#pragma once
#include "capture/camera_property.h"
#include "capture/camera_record.h"

void QueryCameraProperties();
// Sets value on the camera in manual mode; returns whether the camera took it.
bool SetManual(CameraPropertyIndex property, int value);
// Hands the property to the camera (on) or takes it back in manual mode at its present value.
bool SetAuto(CameraPropertyIndex property, bool on);
// One write of a stored record or of a reset.
bool WriteProperty(const PropertyWrite& write);
// Releases the two interfaces and resets the records as a session teardown does.
void ReleaseCameraProperties();
// Changes whenever the records are read from a camera or reset: whoever holds a record's range
// can tell that it no longer belongs to the camera that is open.
unsigned CameraPropertiesSerial();
