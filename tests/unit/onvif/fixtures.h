#pragma once
// Messages as the WS-Discovery and ONVIF documents show them, with the
// prefixes and layout of their examples (not what our own code writes).
#include <string>

namespace fixtures {

inline std::string ProbeMatches(const std::string& relatesTo, const std::string& messageId,
                                const std::string& address, const std::string& xaddrs,
                                const std::string& scopes) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<s:Envelope xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing"
    xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery"
    xmlns:dn="http://www.onvif.org/ver10/network/wsdl"
    xmlns:s="http://www.w3.org/2003/05/soap-envelope">
  <s:Header>
    <a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</a:Action>
    <a:MessageID>)" +
           messageId + R"(</a:MessageID>
    <a:RelatesTo>)" +
           relatesTo + R"(</a:RelatesTo>
    <a:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</a:To>
    <d:AppSequence InstanceId="1077004800" MessageNumber="2" />
  </s:Header>
  <s:Body>
    <d:ProbeMatches>
      <d:ProbeMatch>
        <a:EndpointReference>
          <a:Address>)" +
           address + R"(</a:Address>
        </a:EndpointReference>
        <d:Types>dn:NetworkVideoTransmitter tds:Device</d:Types>
        <d:Scopes>)" +
           scopes + R"(</d:Scopes>
        <d:XAddrs>)" +
           xaddrs + R"(</d:XAddrs>
        <d:MetadataVersion>75965</d:MetadataVersion>
      </d:ProbeMatch>
    </d:ProbeMatches>
  </s:Body>
</s:Envelope>)";
}

inline const char* kCameraScopes = "onvif://www.onvif.org/type/video_encoder "
                                   "onvif://www.onvif.org/name/Lobby%20Cam%2001 "
                                   "onvif://www.onvif.org/hardware/IPC-4M "
                                   "onvif://www.onvif.org/location/country/Norway "
                                   "onvif://www.onvif.org/location/city/Bergen";

// A response envelope around body content, as the device service sends it.
inline std::string Response(const std::string& body) {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<SOAP-ENV:Envelope xmlns:SOAP-ENV="http://www.w3.org/2003/05/soap-envelope"
    xmlns:tt="http://www.onvif.org/ver10/schema" xmlns:tds="http://www.onvif.org/ver10/device/wsdl"
    xmlns:ter="http://www.onvif.org/ver10/error">
  <SOAP-ENV:Body>)" +
           body + R"(</SOAP-ENV:Body>
</SOAP-ENV:Envelope>)";
}

inline std::string Fault(const std::string& subcode, const std::string& reason = "Sender not authorized") {
    return Response(R"(<SOAP-ENV:Fault>
      <SOAP-ENV:Code><SOAP-ENV:Value>SOAP-ENV:Sender</SOAP-ENV:Value>
        <SOAP-ENV:Subcode><SOAP-ENV:Value>)" +
                    subcode + R"(</SOAP-ENV:Value></SOAP-ENV:Subcode>
      </SOAP-ENV:Code>
      <SOAP-ENV:Reason><SOAP-ENV:Text xml:lang="en">)" +
                    reason + R"(</SOAP-ENV:Text></SOAP-ENV:Reason>
    </SOAP-ENV:Fault>)");
}

inline std::string DateAndTime(int year, int month, int day, int hour, int minute, int second) {
    const auto field = [](const char* name, int value) {
        return "<tt:" + std::string(name) + ">" + std::to_string(value) + "</tt:" + name + ">";
    };
    return Response(R"(<tds:GetSystemDateAndTimeResponse><tds:SystemDateAndTime>
      <tt:DateTimeType>Manual</tt:DateTimeType><tt:DaylightSavings>false</tt:DaylightSavings>
      <tt:TimeZone><tt:TZ>CET-1CEST,M3.5.0,M10.5.0/3</tt:TZ></tt:TimeZone>
      <tt:UTCDateTime><tt:Time>)" +
                    field("Hour", hour) + field("Minute", minute) + field("Second", second) +
                    "</tt:Time><tt:Date>" + field("Year", year) + field("Month", month) + field("Day", day) +
                    R"(</tt:Date></tt:UTCDateTime>
      <tt:LocalDateTime><tt:Time><tt:Hour>)" +
                    std::to_string(hour + 1) + R"(</tt:Hour><tt:Minute>)" + std::to_string(minute) +
                    "</tt:Minute><tt:Second>" + std::to_string(second) + "</tt:Second></tt:Time><tt:Date>" +
                    field("Year", year) + field("Month", month) + field("Day", day) +
                    R"(</tt:Date></tt:LocalDateTime>
    </tds:SystemDateAndTime></tds:GetSystemDateAndTimeResponse>)");
}

inline const char* kDeviceInformation = R"(<tds:GetDeviceInformationResponse>
      <tds:Manufacturer>Example</tds:Manufacturer><tds:Model>IPC-4M</tds:Model>
      <tds:FirmwareVersion>V5.6.1 build 240101</tds:FirmwareVersion>
      <tds:SerialNumber>SN0042</tds:SerialNumber><tds:HardwareId>HW-7</tds:HardwareId>
    </tds:GetDeviceInformationResponse>)";

} // namespace fixtures
