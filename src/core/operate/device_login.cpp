#include "operate/device_login.h"

#include <openssl/crypto.h>

DeviceLogin::~DeviceLogin() {
    OPENSSL_cleanse(password.data(), password.size());
}
