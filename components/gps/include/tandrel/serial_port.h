#pragma once
// A serial port as an automation object, for CommPort_Avl and for clients that poll a
// receiver. Properties by name: PortOpen (bool, get/put: opens or closes the device),
// InputLen (int, get/put: how many characters Input returns at most, 0 = all waiting),
// Input (text, get: what has arrived, without waiting). Backed by POSIX termios, raw
// mode, the given baud rate.
#include <string>

#include "vantrel/runtime.h"

namespace tandrel {

class ISerialPort : public vantrel::rt::IDispatch {
 public:
  static constexpr vantrel::rt::Iid kIid = "Tandrel.ISerialPort";
  virtual bool PortOpen() const = 0;
  virtual bool SetPortOpen(bool open) = 0;  // false when the device cannot be opened
  virtual int32_t InputLen() const = 0;
  virtual void SetInputLen(int32_t n) = 0;
  virtual std::string Input() = 0;
};

vantrel::rt::Ref<ISerialPort> CreateSerialPort(std::string devicePath, int baud = 9600);

}  // namespace tandrel
