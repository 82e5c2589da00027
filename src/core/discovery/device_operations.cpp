#include "discovery/device_operations.h"

OperationSet NativeOperations(uint8_t capabilityByte) {
    OperationSet operations{
        DeviceOperation::Login,    DeviceOperation::Reboot,       DeviceOperation::FactoryDefault,
        DeviceOperation::Password, DeviceOperation::Ports,        DeviceOperation::Network,
        DeviceOperation::Upgrade,  DeviceOperation::ConfigExport, DeviceOperation::ConfigImport,
        DeviceOperation::Preview,  DeviceOperation::WebPage,      DeviceOperation::DataPort};
    if ((capabilityByte & 0x01) != 0) {
        operations |= OperationSet{DeviceOperation::ModelChange};
    }
    return operations;
}

OperationSet OnvifOperations() {
    return OperationSet{DeviceOperation::Login,          DeviceOperation::Reboot,
                        DeviceOperation::FactoryDefault, DeviceOperation::Password,
                        DeviceOperation::Ports,          DeviceOperation::Time,
                        DeviceOperation::Upgrade,        DeviceOperation::ConfigExport,
                        DeviceOperation::ConfigImport,   DeviceOperation::SoftReset};
}
