#include "app/device_record.h"

_TDevice::_TDevice() : m_nDeviceType(-1), m_nSelected(0), m_nUDPPort(0), m_nInfoReceived(0) {}

_TDevice::~_TDevice() = default;
