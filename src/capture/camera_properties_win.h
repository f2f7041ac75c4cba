// The camera's image settings through IAMCameraControl and IAMVideoProcAmp: read at every
// session open, set in manual mode by the quick-adjust pop-up. User-interface thread only.
#pragma once
#include "capture/camera_property.h"

void QueryCameraProperties();
// Stores value in the record and sets it on the camera in manual mode.
void SetManual(CameraPropertyIndex property, int value);
// Releases the two interfaces and resets the records as a session teardown does.
void ReleaseCameraProperties();
// Changes whenever the records are read from a camera or reset: whoever holds a record's range
// can tell that it no longer belongs to the camera that is open.
unsigned CameraPropertiesSerial();
