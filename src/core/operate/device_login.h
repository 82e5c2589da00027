#pragma once
// One login of a device, as the login table keeps it.
#include <cstdint>
#include <string>
#include <utility>

class DeviceLink;

// What one login is: the link of the family that made it (and ends it),
// and what that family keeps of it. Every copy wipes its password when it
// goes.
struct DeviceLogin {
    DeviceLogin() = default;
    DeviceLogin(DeviceLink* link_, int32_t handle_, std::string user_, std::string password_)
        : link(link_), handle(handle_), user(std::move(user_)), password(std::move(password_)) {}
    DeviceLogin(const DeviceLogin&) = default;
    DeviceLogin(DeviceLogin&&) = default;
    DeviceLogin& operator=(const DeviceLogin&) = default;
    DeviceLogin& operator=(DeviceLogin&&) = default;
    ~DeviceLogin();

    DeviceLink* link = nullptr;
    int32_t handle = 0; // the native family's SDK login handle
    std::string user;
    std::string password;
};
