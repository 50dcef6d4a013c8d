// A web server for the end-to-end tests, in a network namespace of their own. It answers each
// request with the bytes of a file, sent as they are, so that a test writes whole responses:
// a status line and headers, then a body or none. The file for http[s]://HOST/PATH?QUERY is
// FOLDER/HOST/PATH (the query left out, "index" for a path that ends in "/"); where there is no
// such file it answers 404. One request a connection, closed after the answer; each request is
// logged on stderr as "testweb: SCHEME HOST PATH".
// Usage: testweb FOLDER OWNER-PID ADDRESS:PORT[:PEM]... A listener given a PEM file (the
// certificate, then its key) speaks TLS. It listens, then forks and returns, so that a script
// knows it listens when the command ends; the server ends when OWNER-PID does.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/ssl.h>

#include <cerrno>
#include <csignal>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Listener {
  int socket = -1;
  SSL_CTX* tls = nullptr;  // none for plain http
};

// The listener for "ADDRESS:PORT[:PEM]", or one without a socket.
Listener Listen(const std::string& given) {
  Listener listener;
  const std::size_t port = given.find(':'), pem = given.find(':', port + 1);
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(std::atoi(given.c_str() + port + 1)));
  if (port == std::string::npos ||
      inet_pton(AF_INET, given.substr(0, port).c_str(), &address.sin_addr) != 1) {
    return listener;
  }
  if (pem != std::string::npos) {
    const std::string file = given.substr(pem + 1);
    listener.tls = SSL_CTX_new(TLS_server_method());
    if (listener.tls == nullptr ||
        SSL_CTX_use_certificate_chain_file(listener.tls, file.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(listener.tls, file.c_str(), SSL_FILETYPE_PEM) != 1) {
      return listener;
    }
  }
  const int server = socket(AF_INET, SOCK_STREAM, 0);
  const int on = 1;
  if (server >= 0 && setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)) == 0 &&
      bind(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      listen(server, 16) == 0) {
    listener.socket = server;
  }
  return listener;
}

// One connection: a request of at most 16 KiB of headers, then the file's bytes.
void Serve(int client, SSL_CTX* tls, const std::string& folder) {
  SSL* ssl = nullptr;
  if (tls != nullptr) {
    ssl = SSL_new(tls);
    if (ssl == nullptr || SSL_set_fd(ssl, client) != 1 || SSL_accept(ssl) != 1) {
      std::fprintf(stderr, "testweb: the TLS handshake failed\n");
      return;
    }
  }
  auto receive = [&](char* to, int size) {
    return ssl != nullptr ? SSL_read(ssl, to, size) : static_cast<int>(recv(client, to, size, 0));
  };
  auto send = [&](const char* from, int size) {
    return ssl != nullptr ? SSL_write(ssl, from, size)
                          : static_cast<int>(::send(client, from, size, MSG_NOSIGNAL));
  };
  std::string request;
  char buffer[16384];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
    const int got = receive(buffer, sizeof(buffer));
    if (got <= 0) return;
    request.append(buffer, static_cast<std::size_t>(got));
  }
  std::string lower = request;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::size_t target = request.find(' ') + 1, hostAt = lower.find("\r\nhost:");
  std::string path = request.substr(target, request.find_first_of(" ?\r", target) - target);
  std::string host;
  if (hostAt != std::string::npos) {
    const std::size_t from = lower.find_first_not_of(' ', hostAt + 7);
    host = lower.substr(from, lower.find_first_of(":\r", from) - from);
  }
  std::fprintf(stderr, "testweb: %s %s %s\n", ssl != nullptr ? "https" : "http", host.c_str(),
               path.c_str());
  if (!path.empty() && path.back() == '/') path += "index";
  std::string answer = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  std::ifstream file;
  // Nothing outside the folder.
  if (path.rfind('/', 0) == 0 && path.find("/..") == std::string::npos && !host.empty() &&
      host.find('/') == std::string::npos && host[0] != '.') {
    file.open(folder + "/" + host + path, std::ios::binary);
  }
  if (file.is_open()) answer.clear();
  do {
    file.read(buffer, sizeof(buffer));
    answer.append(buffer, static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    if (!answer.empty() && send(answer.data(), static_cast<int>(answer.size())) <= 0) return;
    answer.clear();
  } while (file);
  if (ssl != nullptr) SSL_shutdown(ssl);
  shutdown(client, SHUT_WR);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: testweb FOLDER OWNER-PID ADDRESS:PORT[:PEM]...\n");
    return 2;
  }
  const pid_t owner = static_cast<pid_t>(std::atoi(argv[2]));
  std::vector<Listener> listeners;
  std::vector<pollfd> waits;
  for (int i = 3; i < argc; ++i) {
    listeners.push_back(Listen(argv[i]));
    if (listeners.back().socket < 0) {
      std::fprintf(stderr, "testweb: cannot listen on %s: %s\n", argv[i], std::strerror(errno));
      return 1;
    }
    waits.push_back(pollfd{listeners.back().socket, POLLIN, 0});
  }
  // The listeners' sockets and contexts go with each process, which the leak check at a
  // normal exit would count against it.
  const pid_t child = fork();
  if (child != 0) _exit(child > 0 ? 0 : 1);
  // A caller's $(...) ends with the parent only once no process holds its output.
  std::fclose(stdout);
  // Each connection is served by a child of its own, reaped by the system.
  std::signal(SIGCHLD, SIG_IGN);
  while (kill(owner, 0) == 0 || errno != ESRCH) {
    // A second at most, so that the owner's end is noticed.
    if (poll(waits.data(), waits.size(), 1000) <= 0) continue;
    for (std::size_t i = 0; i < waits.size(); ++i) {
      if ((waits[i].revents & POLLIN) == 0) continue;
      const int client = accept(listeners[i].socket, nullptr, nullptr);
      if (client < 0) continue;
      if (fork() == 0) {
        // A client that stops reading or never sends its request holds nothing for long.
        alarm(10);
        Serve(client, listeners[i].tls, argv[1]);
        _exit(0);
      }
      close(client);
    }
  }
  _exit(0);
}
