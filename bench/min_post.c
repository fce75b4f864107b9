/* The floor for one control request: the same POST that tarvolt-ctl sends,
   with nothing else, and the raw answer copied to standard output. */
#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: min-post <port> <body>\n");
        return 2;
    }
    const int port = atoi(argv[1]);
    const char* body = argv[2];
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    struct sockaddr_in addr = {0};
    addr.sin_family = AF_INET;
    addr.sin_port = htons((unsigned short)port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, (struct sockaddr*)&addr, sizeof addr) < 0) return 1;
    char head[512];
    int n = snprintf(head, sizeof head,
                     "POST /control HTTP/1.1\r\nhost: 127.0.0.1:%d\r\nconnection: close\r\n"
                     "content-type: application/json\r\ncontent-length: %zu\r\nx-tarvolt-token: bench\r\n\r\n",
                     port, strlen(body));
    if (write(fd, head, (size_t)n) != n) return 1;
    if (write(fd, body, strlen(body)) != (ssize_t)strlen(body)) return 1;
    char buf[65536];
    ssize_t got;
    while ((got = read(fd, buf, sizeof buf)) > 0) fwrite(buf, 1, (size_t)got, stdout);
    close(fd);
    return 0;
}
