// A name server for the end-to-end tests, on UDP in a network namespace of their own. It answers
// A and AAAA queries from a text file that it reads again for every query, so that a test can
// change the answers while the program under test waits. Lines of the file:
//   NAME A 192.0.2.10 | NAME AAAA :: | NAME SERVFAIL | NAME NXDOMAIN      (# starts a comment)
// A name on no line is unknown (NXDOMAIN); a known name without records of the type asked for
// has none (NOERROR, no answer). Each query is logged on stderr.
// Usage: testdns ZONE-FILE OWNER-PID. It listens on 127.0.0.1:53, then forks and returns, so
// that a script knows it listens when the command ends; the server ends when OWNER-PID does.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr int kNoError = 0, kServFail = 2, kNxDomain = 3;
constexpr int kTypeA = 1, kTypeAaaa = 28;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

struct Answer {
  int rcode = kNxDomain;
  std::string records;  // the answer section, ready to send
  int count = 0;
};

void PutShort(std::string& out, unsigned value) {
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

// What the file says for `name` and `type`; a SERVFAIL or NXDOMAIN line wins over addresses.
Answer Look(const char* zone, const std::string& name, int type) {
  Answer answer;
  std::ifstream in(zone);
  bool known = false;
  int failure = 0;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string owner, kind, value;
    if (!(words >> owner >> kind) || Lower(owner) != name) continue;
    known = true;
    words >> value;
    unsigned char bytes[16];
    if (kind == "SERVFAIL") {
      failure = kServFail;
    } else if (kind == "NXDOMAIN") {
      failure = failure != 0 ? failure : kNxDomain;
    } else if ((kind == "A" && type == kTypeA && inet_pton(AF_INET, value.c_str(), bytes) == 1) ||
               (kind == "AAAA" && type == kTypeAaaa &&
                inet_pton(AF_INET6, value.c_str(), bytes) == 1)) {
      const unsigned size = type == kTypeA ? 4 : 16;
      PutShort(answer.records, 0xC00C);  // the name of the question
      PutShort(answer.records, static_cast<unsigned>(type));
      PutShort(answer.records, 1);     // IN
      answer.records.append(4, '\0');  // a time to live of 0: nothing may keep the answer
      PutShort(answer.records, size);
      answer.records.append(reinterpret_cast<const char*>(bytes), size);
      ++answer.count;
    }
  }
  if (failure != 0) return Answer{failure, "", 0};
  answer.rcode = known ? kNoError : kNxDomain;
  return answer;
}

// The name and type asked for, and where the question ends; false for a packet that is no
// single query.
bool ReadQuestion(const std::string& packet, std::string& name, int& type, std::size_t& end) {
  if (packet.size() < 12 || (packet[2] & 0x80) != 0 || packet[4] != 0 || packet[5] != 1) {
    return false;
  }
  std::size_t at = 12;
  name.clear();
  while (at < packet.size() && packet[at] != 0) {
    const std::size_t length = static_cast<unsigned char>(packet[at]);
    if (length > 63 || at + 1 + length >= packet.size()) return false;
    if (!name.empty()) name += '.';
    name += packet.substr(at + 1, length);
    at += 1 + length;
  }
  if (at + 5 > packet.size()) return false;
  type = (static_cast<unsigned char>(packet[at + 1]) << 8) |
         static_cast<unsigned char>(packet[at + 2]);
  end = at + 5;
  name = Lower(name);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: testdns ZONE-FILE OWNER-PID\n");
    return 2;
  }
  const pid_t owner = static_cast<pid_t>(std::atoi(argv[2]));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(53);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int server = socket(AF_INET, SOCK_DGRAM, 0);
  const timeval second = {1, 0};  // how soon the owner's end is noticed
  if (server < 0 || bind(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      setsockopt(server, SOL_SOCKET, SO_RCVTIMEO, &second, sizeof(second)) != 0) {
    std::perror("testdns");
    return 1;
  }
  const pid_t child = fork();
  if (child != 0) {
    close(server);
    return child > 0 ? 0 : 1;
  }
  // A caller's $(...) ends with the parent only once no process holds its output.
  std::fclose(stdout);
  while (kill(owner, 0) == 0 || errno != ESRCH) {
    char buffer[512];
    sockaddr_storage from = {};
    socklen_t fromSize = sizeof(from);
    const ssize_t got =
        recvfrom(server, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    std::string name;
    int type = 0;
    std::size_t end = 0;
    const std::string query(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    if (!ReadQuestion(query, name, type, end)) continue;
    const Answer answer = Look(argv[1], name, type);
    std::fprintf(stderr, "testdns: %s type %d: rcode %d, %d records\n", name.c_str(), type,
                 answer.rcode, answer.count);
    std::string reply = query.substr(0, end);
    reply[2] = static_cast<char>(0x84 | (query[2] & 0x79));  // a reply, authoritative, RD kept
    reply[3] = static_cast<char>(0x80 | answer.rcode);       // recursion available
    reply.replace(6, 6, std::string{0, static_cast<char>(answer.count), 0, 0, 0, 0});
    reply += answer.records;
    sendto(server, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), fromSize);
  }
}
