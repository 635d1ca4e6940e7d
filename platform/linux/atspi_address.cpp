// Where the accessibility bus is: its launcher's answer on the session bus,
// asked over a socket of our own that is closed again at once. GDBus would
// start a thread that stays for the life of the process, which a program
// without assistive technology must not pay for.
#include "platform/linux/detail/atspi.hpp"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace orvy::linux_platform::detail {

namespace {

class Socket {
public:
    explicit Socket(int fd) : m_fd(fd) { }
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(Socket const&) = delete;
    Socket& operator=(Socket const&) = delete;
    int fd() const { return m_fd; }

    bool send_all(std::string_view bytes) const
    {
        while (!bytes.empty()) {
            ssize_t sent = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
        return true;
    }
    bool receive(std::string& into, std::size_t count) const
    {
        std::size_t start = into.size();
        into.resize(start + count);
        for (std::size_t done = 0; done < count;) {
            ssize_t got = ::recv(m_fd, into.data() + start + done, count - done, 0);
            if (got <= 0)
                return false;
            done += static_cast<std::size_t>(got);
        }
        return true;
    }

private:
    int m_fd;
};

// A D-Bus message in little-endian wire format, written field by field.
class Writer {
public:
    void align(std::size_t to) { m_bytes.resize((m_bytes.size() + to - 1) / to * to, '\0'); }
    void byte(char value) { m_bytes.push_back(value); }
    void u32(std::uint32_t value)
    {
        align(4);
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    void string(std::string_view text)
    {
        u32(static_cast<std::uint32_t>(text.size()));
        m_bytes.append(text);
        m_bytes.push_back('\0');
    }
    void signature(std::string_view text)
    {
        m_bytes.push_back(static_cast<char>(text.size()));
        m_bytes.append(text);
        m_bytes.push_back('\0');
    }
    void field(char code, char type, std::string_view value)
    {
        align(8);
        byte(code);
        signature(std::string_view(&type, 1));
        string(value);
    }
    std::string& bytes() { return m_bytes; }

private:
    std::string m_bytes;
};

std::string method_call(std::uint32_t serial, char const* destination, char const* path, char const* interface,
    char const* member, bool auto_start)
{
    Writer fields;
    fields.field(1, 'o', path);
    fields.field(2, 's', interface);
    fields.field(3, 's', member);
    fields.field(6, 's', destination);
    Writer message;
    message.byte('l');
    message.byte(1); // method call
    message.byte(auto_start ? 0 : 2);
    message.byte(1); // protocol version
    message.u32(0);  // no body
    message.u32(serial);
    message.u32(static_cast<std::uint32_t>(fields.bytes().size()));
    message.align(8);
    message.bytes() += fields.bytes();
    message.align(8);
    return message.bytes();
}

std::uint32_t read_u32(std::string const& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

struct Reply {
    int type = 0;
    std::uint32_t reply_serial = 0;
    std::string body;
};

std::optional<Reply> read_message(Socket const& socket)
{
    std::string head;
    if (!socket.receive(head, 16) || head[0] != 'l')
        return std::nullopt;
    std::uint32_t body_length = read_u32(head, 4);
    std::uint32_t fields_length = read_u32(head, 12);
    if (body_length > (1u << 20) || fields_length > (1u << 16))
        return std::nullopt;
    std::size_t header_end = (16 + fields_length + 7) / 8 * 8;
    if (!socket.receive(head, header_end - 16 + body_length))
        return std::nullopt;
    Reply reply { .type = head[1] };
    for (std::size_t at = 16; at < 16 + fields_length;) {
        at = (at + 7) / 8 * 8;
        char code = head[at];
        std::size_t signature_length = static_cast<unsigned char>(head[at + 1]);
        char type = head[at + 2];
        at += 3 + signature_length;
        if (type == 'u') {
            at = (at + 3) / 4 * 4;
            if (code == 5)
                reply.reply_serial = read_u32(head, at);
            at += 4;
        } else if (type == 'g') {
            at += 2 + static_cast<unsigned char>(head[at]);
        } else {
            at = (at + 3) / 4 * 4;
            at += 4 + read_u32(head, at) + 1;
        }
        if (at > head.size())
            return std::nullopt;
    }
    reply.body = head.substr(header_end);
    return reply;
}

std::optional<sockaddr_un> socket_address(std::string_view address)
{
    // The first unix: entry; path= names a file, abstract= a name without one.
    std::size_t start = address.find("unix:");
    if (start == std::string_view::npos)
        return std::nullopt;
    std::string_view entry = address.substr(start + 5);
    entry = entry.substr(0, entry.find(';'));
    sockaddr_un result {};
    result.sun_family = AF_UNIX;
    for (std::string_view key : { "path=", "abstract=" }) {
        std::size_t at = entry.find(key);
        if (at == std::string_view::npos || (at > 0 && entry[at - 1] != ','))
            continue;
        std::string_view value = entry.substr(at + key.size());
        value = value.substr(0, value.find(','));
        std::string name;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '%' && i + 2 < value.size()) {
                name.push_back(static_cast<char>(std::strtol(std::string(value.substr(i + 1, 2)).c_str(), nullptr, 16)));
                i += 2;
            } else {
                name.push_back(value[i]);
            }
        }
        std::size_t offset = key == std::string_view("abstract=") ? 1 : 0;
        if (name.size() + offset >= sizeof result.sun_path)
            return std::nullopt;
        std::memcpy(result.sun_path + offset, name.data(), name.size());
        return result;
    }
    return std::nullopt;
}

}

std::optional<std::string> accessibility_bus_from_session_bus()
{
    char const* session = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (!session || !*session)
        return std::nullopt;
    std::optional<sockaddr_un> where = socket_address(session);
    if (!where)
        return std::nullopt;
    Socket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.fd() < 0)
        return std::nullopt;
    timeval limit { .tv_sec = 2, .tv_usec = 0 };
    setsockopt(socket.fd(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(socket.fd(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    socklen_t length = where->sun_path[0] ? sizeof(sockaddr_un)
                                          : static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1
                                              + std::strlen(where->sun_path + 1));
    if (::connect(socket.fd(), reinterpret_cast<sockaddr const*>(&*where), length) != 0)
        return std::nullopt;

    // Authenticate as our user, then say hello and ask the launcher, without
    // starting it when it does not run.
    std::string uid = std::to_string(::getuid());
    std::string hex;
    for (char c : uid) {
        static constexpr char digits[] = "0123456789abcdef";
        hex += digits[(c >> 4) & 0xF];
        hex += digits[c & 0xF];
    }
    if (!socket.send_all(std::string(1, '\0') + "AUTH EXTERNAL " + hex + "\r\n"))
        return std::nullopt;
    std::string line;
    while (line.size() < 512 && !line.ends_with("\r\n")) {
        if (!socket.receive(line, 1))
            return std::nullopt;
    }
    if (!line.starts_with("OK "))
        return std::nullopt;
    std::string calls = "BEGIN\r\n"
        + method_call(1, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "Hello", true)
        + method_call(2, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", false);
    if (!socket.send_all(calls))
        return std::nullopt;
    for (int messages = 0; messages < 16; ++messages) {
        std::optional<Reply> reply = read_message(socket);
        if (!reply)
            return std::nullopt;
        if (reply->reply_serial != 2)
            continue;
        // A method return carrying one string; an error means no launcher.
        if (reply->type != 2 || reply->body.size() < 5)
            return std::nullopt;
        std::uint32_t size = read_u32(reply->body, 0);
        if (size + 4 > reply->body.size())
            return std::nullopt;
        return reply->body.substr(4, size);
    }
    return std::nullopt;
}

}
