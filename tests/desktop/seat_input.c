/* seat-input <width> <height>
 *
 * A pointer and a keyboard made by a Wayland client, so that tests reach
 * windows the way a person's hands do: through the compositor's seat. It uses
 * whichever protocols the compositor offers:
 *   zwlr_virtual_pointer_manager_v1 and zwp_virtual_keyboard_manager_v1
 *                                    (wlroots compositors such as sway)
 *   org_kde_kwin_fake_input          (KWin; needs KWIN_WAYLAND_NO_PERMISSION_CHECKS=1)
 * The virtual keyboard carries one US keymap for its whole life: with wtype,
 * which brings a keyboard and keymap of its own on every run, the first key of
 * a run was lost now and then. The program stays running, also since a wlroots
 * seat loses the pointer device when its client goes, and reads one command a
 * line from standard input:
 *   move X Y      put the pointer at X,Y of the <width>x<height> layout
 *   down CODE     press the button with Linux input code CODE (BTN_LEFT 272)
 *   up CODE       release it
 *   scroll N      N wheel steps, positive downwards
 *   key CODE 1|0  press or release the key with Linux input code CODE (KEY_A 30)
 * After each command it waits until the compositor has handled it and prints
 * "ok", or "error <why>". It prints "ready <protocols>" once the devices exist
 * and exits when standard input ends or the compositor goes away.
 */

#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "fake-input-client-protocol.h"
#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

enum {
    BUTTON_RELEASED = 0,
    BUTTON_PRESSED = 1,
    AXIS_VERTICAL = 0,
    AXIS_SOURCE_WHEEL = 0,
    WHEEL_STEP = 15
};

struct seat_input {
    struct wl_seat *seat;
    struct zwlr_virtual_pointer_manager_v1 *wlr_manager;
    struct zwlr_virtual_pointer_v1 *wlr_pointer;
    struct zwp_virtual_keyboard_manager_v1 *keyboard_manager;
    struct zwp_virtual_keyboard_v1 *keyboard;
    struct xkb_state *xkb; /* the modifiers that the keyboard's keys hold */
    struct org_kde_kwin_fake_input *kde;
};

static void global_added(void *data, struct wl_registry *registry, uint32_t name,
                         const char *interface, uint32_t version)
{
    struct seat_input *input = data;
    if (strcmp(interface, wl_seat_interface.name) == 0 && !input->seat) {
        input->seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    } else if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        input->wlr_manager =
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    } else if (strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
        input->keyboard_manager =
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1);
    } else if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4) {
        input->kde = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
    }
}

static void global_removed(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener registry_listener = {global_added, global_removed};

static uint32_t now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

/* A virtual keyboard with the US layout; NULL and a message if it cannot be made. */
static struct zwp_virtual_keyboard_v1 *make_keyboard(struct seat_input *in)
{
    struct xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    struct xkb_rule_names names = {.rules = "evdev", .model = "pc105", .layout = "us"};
    struct xkb_keymap *keymap =
        context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : NULL;
    char *text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : NULL;
    int fd = text ? memfd_create("seat-input-keymap", MFD_CLOEXEC) : -1;
    size_t size = text ? strlen(text) + 1 : 0;
    if (fd < 0 || write(fd, text, size) != (ssize_t)size) {
        fprintf(stderr, "seat-input: cannot make a US keymap\n");
        return NULL;
    }
    struct zwp_virtual_keyboard_v1 *keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(in->keyboard_manager, in->seat);
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, (uint32_t)size);
    in->xkb = xkb_state_new(keymap);
    close(fd);
    free(text);
    return keyboard;
}

/* A key on the virtual keyboard, with the modifier state it leads to: wlroots
 * takes the modifiers from the client, not from the keys. */
static void virtual_key(struct seat_input *in, uint32_t code, int pressed)
{
    zwp_virtual_keyboard_v1_key(in->keyboard, now_ms(), code,
                                pressed ? BUTTON_PRESSED : BUTTON_RELEASED);
    xkb_state_update_key(in->xkb, code + 8, pressed ? XKB_KEY_DOWN : XKB_KEY_UP);
    zwp_virtual_keyboard_v1_modifiers(
        in->keyboard, xkb_state_serialize_mods(in->xkb, XKB_STATE_MODS_DEPRESSED),
        xkb_state_serialize_mods(in->xkb, XKB_STATE_MODS_LATCHED),
        xkb_state_serialize_mods(in->xkb, XKB_STATE_MODS_LOCKED),
        xkb_state_serialize_layout(in->xkb, XKB_STATE_LAYOUT_EFFECTIVE));
}

/* Sends one command; returns NULL or why it could not. */
static const char *perform(struct seat_input *in, const char *line, unsigned width, unsigned height)
{
    char verb[16];
    long a = 0, b = 0;
    int fields = sscanf(line, "%15s %ld %ld", verb, &a, &b);
    struct zwlr_virtual_pointer_v1 *p = in->wlr_pointer;
    if (fields >= 3 && strcmp(verb, "move") == 0) {
        if (a < 0 || b < 0 || a >= (long)width || b >= (long)height)
            return "outside the layout";
        if (p)
            zwlr_virtual_pointer_v1_motion_absolute(p, now_ms(), (uint32_t)a, (uint32_t)b, width,
                                                    height);
        else
            org_kde_kwin_fake_input_pointer_motion_absolute(in->kde, wl_fixed_from_int((int)a),
                                                            wl_fixed_from_int((int)b));
    } else if (fields >= 2 && (strcmp(verb, "down") == 0 || strcmp(verb, "up") == 0)) {
        uint32_t state = verb[0] == 'd' ? BUTTON_PRESSED : BUTTON_RELEASED;
        if (p)
            zwlr_virtual_pointer_v1_button(p, now_ms(), (uint32_t)a, state);
        else
            org_kde_kwin_fake_input_button(in->kde, (uint32_t)a, state);
    } else if (fields >= 2 && strcmp(verb, "scroll") == 0) {
        if (p) {
            zwlr_virtual_pointer_v1_axis_source(p, AXIS_SOURCE_WHEEL);
            zwlr_virtual_pointer_v1_axis_discrete(
                p, now_ms(), AXIS_VERTICAL, wl_fixed_from_int((int)a * WHEEL_STEP), (int32_t)a);
        } else {
            org_kde_kwin_fake_input_axis(in->kde, AXIS_VERTICAL,
                                         wl_fixed_from_int((int)a * WHEEL_STEP));
        }
    } else if (fields >= 3 && strcmp(verb, "key") == 0) {
        if (in->keyboard)
            virtual_key(in, (uint32_t)a, b != 0);
        else if (in->kde)
            org_kde_kwin_fake_input_keyboard_key(in->kde, (uint32_t)a,
                                                 b ? BUTTON_PRESSED : BUTTON_RELEASED);
        else
            return "this compositor offers no keyboard to clients";
    } else {
        return "unknown command";
    }
    if (p)
        zwlr_virtual_pointer_v1_frame(p);
    return NULL;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: %s <width> <height>\n", argv[0]);
        return 2;
    }
    unsigned width = (unsigned)strtoul(argv[1], NULL, 10),
             height = (unsigned)strtoul(argv[2], NULL, 10);
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "seat-input: cannot connect to the Wayland display\n");
        return 1;
    }
    struct seat_input in = {0};
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &in);
    wl_display_roundtrip(display);
    const char *protocol;
    if (in.wlr_manager) {
        in.wlr_pointer =
            zwlr_virtual_pointer_manager_v1_create_virtual_pointer(in.wlr_manager, in.seat);
        protocol = zwlr_virtual_pointer_manager_v1_interface.name;
        if (in.keyboard_manager && in.seat && !(in.keyboard = make_keyboard(&in)))
            return 1;
    } else if (in.kde) {
        org_kde_kwin_fake_input_authenticate(in.kde, "HarrowKIT tests",
                                             "person-like input for desktop tests");
        protocol = org_kde_kwin_fake_input_interface.name;
    } else {
        fprintf(stderr, "seat-input: the compositor offers neither %s nor %s (version 4)\n",
                zwlr_virtual_pointer_manager_v1_interface.name,
                org_kde_kwin_fake_input_interface.name);
        return 1;
    }
    if (wl_display_roundtrip(display) < 0) {
        fprintf(stderr, "seat-input: the compositor closed the connection\n");
        return 1;
    }
    printf("ready %s%s\n", protocol, in.keyboard ? " zwp_virtual_keyboard_manager_v1" : "");
    fflush(stdout);

    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        const char *error = perform(&in, line, width, height);
        if (!error && wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "seat-input: lost the compositor\n");
            return 1;
        }
        if (error)
            printf("error %s\n", error);
        else
            printf("ok\n");
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
