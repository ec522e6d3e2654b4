/* Watches the X display from outside a program, for the bench.
 *
 *   xprobe [PID]
 *
 * Prints, one line each, on the monotonic clock in milliseconds (the clock Python's
 * time.monotonic() reads):
 *   window ID T    a top-level window of at least 100x100 was created
 *   frame ID T P   the first drawing into that window, of program P: its first frame
 *   target ID      the window of PID that pings go to (its tray icon, say)
 *   slow MS T      a ping answered in more than 15 ms, and when the answer came
 * With PID, pings the program every 2 ms with _NET_WM_PING, which Qt answers on its main
 * thread: a slow answer is a main-thread stall. Each line "worst" on stdin prints
 *   worst MS N S   the slowest answer since the last such line, how many came, and how
 *                  many took over 30 ms
 * and starts over. Ends at the end of its input.
 */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

#define MAX_WATCHED 4096
static struct {
    Window window;
    Damage damage;
    int drawn;
} watched[MAX_WATCHED];
static int watched_count;

static int ignore_errors(Display *display, XErrorEvent *error)
{
    (void)display;
    (void)error;
    return 0; /* windows come and go between the event and our request */
}

static long window_pid(Display *display, Window window, Atom pid_atom)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = NULL;
    long pid = -1;
    if (XGetWindowProperty(display, window, pid_atom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data && count == 1 && format == 32) {
        pid = *(long *)data;
    }
    if (data) {
        XFree(data);
    }
    return pid;
}

/* A window of `pid`, mapped, anywhere in the tree (a tray icon is reparented into the tray). */
static Window find_window(Display *display, Window under, long pid, Atom pid_atom)
{
    Window root, parent, *children = NULL;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, under, &root, &parent, &children, &count)) {
        return 0;
    }
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (window_pid(display, children[i], pid_atom) == pid &&
            XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable) {
            found = children[i];
        } else {
            found = find_window(display, children[i], pid, pid_atom);
        }
    }
    if (children) {
        XFree(children);
    }
    return found;
}

int main(int argc, char **argv)
{
    setvbuf(stdout, NULL, _IOLBF, 0);
    Display *display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "xprobe: no display\n");
        return 1;
    }
    int damage_event, damage_error;
    if (!XDamageQueryExtension(display, &damage_event, &damage_error)) {
        fprintf(stderr, "xprobe: the display has no DAMAGE extension\n");
        return 1;
    }
    XSetErrorHandler(ignore_errors);
    const long pid = argc > 1 ? atol(argv[1]) : 0;
    const Window root = DefaultRootWindow(display);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    const Atom pid_atom = XInternAtom(display, "_NET_WM_PID", False);
    // Qt sends its ping answers to the root for StructureNotify listeners (and the WM).
    XSelectInput(display, root, SubstructureNotifyMask | StructureNotifyMask);
    XFlush(display);

    Window target = 0;
    double next_search = 0, sent_at = 0, next_ping = 0;
    unsigned long sequence = 0, awaited = 0;
    double worst = 0;
    long answers = 0, over30 = 0;
    char line[256];
    size_t line_used = 0;

    for (;;) {
        const double now = now_ms();
        if (pid > 0 && !target && now >= next_search) {
            target = find_window(display, root, pid, pid_atom);
            if (target) {
                printf("target 0x%lx\n", target);
            }
            next_search = now + 100;
        }
        if (target && !awaited && now >= next_ping) {
            XEvent event;
            memset(&event, 0, sizeof event);
            event.xclient.type = ClientMessage;
            event.xclient.window = target;
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = (long)ping;
            event.xclient.data.l[1] = (long)++sequence; /* the time field, echoed back */
            event.xclient.data.l[2] = (long)target;
            XSendEvent(display, target, False, NoEventMask, &event);
            XFlush(display);
            awaited = sequence;
            sent_at = now;
        }
        if (awaited && now - sent_at > 2000) {
            /* No answer in 2 s: the window went, or the program is stuck; look again. */
            worst = worst > now - sent_at ? worst : now - sent_at;
            awaited = 0;
            target = 0;
        }

        struct pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {0, POLLIN, 0}};
        if (!XPending(display)) {
            poll(fds, 2, target ? 1 : 20);
        }
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            const ssize_t got = read(0, line + line_used, sizeof line - 1 - line_used);
            if (got <= 0) {
                break;
            }
            line_used += (size_t)got;
            line[line_used] = 0;
            char *end;
            while ((end = strchr(line, '\n'))) {
                if (strncmp(line, "worst", 5) == 0) {
                    printf("worst %.1f %ld %ld\n", worst, answers, over30);
                    worst = 0;
                    answers = 0;
                    over30 = 0;
                }
                memmove(line, end + 1, strlen(end + 1) + 1);
                line_used = strlen(line);
            }
            if (line_used >= sizeof line - 1) {
                line_used = 0;
            }
        }
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            const double at = now_ms();
            if (event.type == CreateNotify && event.xcreatewindow.width >= 100 &&
                event.xcreatewindow.height >= 100 && watched_count < MAX_WATCHED) {
                const Window window = event.xcreatewindow.window;
                watched[watched_count].window = window;
                watched[watched_count].damage =
                    XDamageCreate(display, window, XDamageReportNonEmpty);
                watched[watched_count].drawn = 0;
                ++watched_count;
                printf("window 0x%lx %.3f\n", window, at);
            } else if (event.type == damage_event + XDamageNotify) {
                const XDamageNotifyEvent *damage = (const XDamageNotifyEvent *)&event;
                for (int i = 0; i < watched_count; ++i) {
                    if (watched[i].window == damage->drawable && !watched[i].drawn) {
                        watched[i].drawn = 1;
                        printf("frame 0x%lx %.3f %ld\n", damage->drawable, at,
                               window_pid(display, damage->drawable, pid_atom));
                        XDamageDestroy(display, watched[i].damage);
                    }
                }
            } else if (event.type == ClientMessage && event.xclient.message_type == protocols &&
                       (Atom)event.xclient.data.l[0] == ping &&
                       (unsigned long)event.xclient.data.l[1] == awaited && awaited) {
                const double took = at - sent_at;
                worst = worst > took ? worst : took;
                over30 += took > 30;
                if (took > 15) {
                    printf("slow %.1f %.3f\n", took, at);
                }
                ++answers;
                awaited = 0;
                next_ping = at + 2;
            }
        }
    }
    XCloseDisplay(display);
    return 0;
}
