#pragma once
// The ONVIF device family in the desktop program: its WS-Discovery source
// searched beside the native one, its link for the records only ONVIF
// found, and what a login reads shown in the record.
class DeviceSession;

void AddOnvifFamily(DeviceSession& session);
