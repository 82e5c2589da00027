#pragma once
// The ONVIF device family in the desktop program: its WS-Discovery source
// searched beside the native one, devices heard announcing themselves
// (Hello) or leaving (Bye) while the program runs, its link for the records
// only ONVIF found, and what a login reads shown in the record.
class DeviceSession;

void AddOnvifFamily(DeviceSession& session);
