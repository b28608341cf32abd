#include "tandrel/serial_port.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace tandrel {

using namespace vantrel::rt;

namespace {

speed_t BaudConstant(int baud) {
  switch (baud) {
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B9600;
  }
}

class SerialPort final : public AutomationObject<SerialPort, ISerialPort> {
 public:
  SerialPort(std::string path, int baud) : path_(std::move(path)), baud_(baud) {}
  ~SerialPort() override { Close(); }

  bool PortOpen() const override { return fd_ >= 0; }
  bool SetPortOpen(bool open) override {
    if (!open) {
      Close();
      return true;
    }
    if (fd_ >= 0) return true;
    int fd = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {  // not a terminal: no serial port
      ::close(fd);
      return false;
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, BaudConstant(baud_));
    ::cfsetospeed(&tio, BaudConstant(baud_));
    tio.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &tio);
    fd_ = fd;
    return true;
  }
  int32_t InputLen() const override { return inputLen_; }
  void SetInputLen(int32_t n) override { inputLen_ = n < 0 ? 0 : n; }
  std::string Input() override {
    std::string out;
    if (fd_ < 0) return out;
    char buf[4096];
    for (;;) {
      std::size_t want = sizeof buf;
      if (inputLen_ > 0) {
        if (out.size() >= std::size_t(inputLen_)) break;
        want = std::min(want, std::size_t(inputLen_) - out.size());
      }
      ssize_t r = ::read(fd_, buf, want);
      if (r <= 0) break;  // nothing more waiting (EAGAIN) or the line hung up
      out.append(buf, std::size_t(r));
    }
    return out;
  }

  static const DispatchTable<SerialPort>& Table() {
    static const DispatchTable<SerialPort> t =
        DispatchTable<SerialPort>()
            .Member("PortOpen", InvokeKind::PropertyGet,
                    [](SerialPort& p, std::span<Variant> a, Variant* r, InvokeError*) {
                      if (!a.empty()) return kBadParamCount;
                      if (r) *r = Variant(p.PortOpen());
                      return kOk;
                    })
            .Member("PortOpen", InvokeKind::PropertyPut,
                    [](SerialPort& p, std::span<Variant> a, Variant*, InvokeError* e) {
                      bool v;
                      if (a.size() != 1) return kBadParamCount;
                      if (HResult hr = a[0].ToBool(v); hr != kOk) return hr;
                      if (p.SetPortOpen(v)) return kOk;
                      if (e) e->description = "the port cannot be opened";
                      return kFail;
                    })
            .Member("InputLen", InvokeKind::PropertyGet,
                    [](SerialPort& p, std::span<Variant> a, Variant* r, InvokeError*) {
                      if (!a.empty()) return kBadParamCount;
                      if (r) *r = Variant(p.InputLen());
                      return kOk;
                    })
            .Member("InputLen", InvokeKind::PropertyPut,
                    [](SerialPort& p, std::span<Variant> a, Variant*, InvokeError*) {
                      int32_t v;
                      if (a.size() != 1) return kBadParamCount;
                      if (HResult hr = a[0].ToInt32(v); hr != kOk) return hr;
                      p.SetInputLen(v);
                      return kOk;
                    })
            .Member("Input", InvokeKind::PropertyGet,
                    [](SerialPort& p, std::span<Variant> a, Variant* r, InvokeError*) {
                      if (!a.empty()) return kBadParamCount;
                      std::string s = p.Input();
                      if (r) *r = Variant(std::move(s));
                      return kOk;
                    });
    return t;
  }

 private:
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  std::string path_;
  int baud_;
  int fd_ = -1;
  int32_t inputLen_ = 0;
};

}  // namespace

Ref<ISerialPort> CreateSerialPort(std::string devicePath, int baud) {
  return Ref<ISerialPort>(MakeObject<SerialPort>(std::move(devicePath), baud));
}

}  // namespace tandrel
