/* A test mixer for ALSA: a control device whose controls are read from a small text
 * file and written back to it after every change, so that tests can set up a card's
 * recording controls without hardware and check what a client changed.
 *
 *   ctl.mixer { type quillon_test  state "/path/controls.txt" }
 *
 * One control per line, fields separated by tabs:
 *   enum <name> <current item> <item> <item> ...
 *   int  <name> <min> <max> <value> [<value> ...]     (one value per channel)
 * A line that starts with "ro " describes a control that refuses every change. */
#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/eventfd.h>
#include <unistd.h>

#define MAX_CONTROLS 32
#define MAX_ITEMS 16
#define MAX_VALUES 8
#define NAME_CHARS 44

typedef struct {
    int isEnum;
    int readOnly;
    char name[NAME_CHARS];
    int itemCount;
    char items[MAX_ITEMS][NAME_CHARS];
    long minimum, maximum;
    int valueCount;
    long values[MAX_VALUES];
} Control;

typedef struct {
    snd_ctl_ext_t ext;
    char path[512];
    int count;
    Control controls[MAX_CONTROLS];
} Mixer;

static int loadState(Mixer* m)
{
    FILE* f = fopen(m->path, "r");
    if (!f)
        return -ENOENT;
    char line[1024];
    m->count = 0;
    while (m->count < MAX_CONTROLS && fgets(line, sizeof line, f)) {
        line[strcspn(line, "\r\n")] = 0;
        Control* c = &m->controls[m->count];
        memset(c, 0, sizeof *c);
        char* rest = line;
        if (!strncmp(rest, "ro ", 3)) {
            c->readOnly = 1;
            rest += 3;
        }
        char* save = NULL;
        char* kind = strtok_r(rest, "\t", &save);
        char* name = strtok_r(NULL, "\t", &save);
        if (!kind || !name)
            continue;
        snprintf(c->name, sizeof c->name, "%s", name);
        if (!strcmp(kind, "enum")) {
            c->isEnum = 1;
            c->valueCount = 1;
            char* current = strtok_r(NULL, "\t", &save);
            c->values[0] = current ? atol(current) : 0;
            char* item;
            while (c->itemCount < MAX_ITEMS && (item = strtok_r(NULL, "\t", &save)))
                snprintf(c->items[c->itemCount++], NAME_CHARS, "%s", item);
        } else if (!strcmp(kind, "int")) {
            char* lo = strtok_r(NULL, "\t", &save);
            char* hi = strtok_r(NULL, "\t", &save);
            if (!lo || !hi)
                continue;
            c->minimum = atol(lo);
            c->maximum = atol(hi);
            char* v;
            while (c->valueCount < MAX_VALUES && (v = strtok_r(NULL, "\t", &save)))
                c->values[c->valueCount++] = atol(v);
        } else {
            continue;
        }
        ++m->count;
    }
    fclose(f);
    return 0;
}

static int saveState(const Mixer* m)
{
    char temp[600];
    snprintf(temp, sizeof temp, "%s.new", m->path);
    FILE* f = fopen(temp, "w");
    if (!f)
        return -EIO;
    for (int i = 0; i < m->count; ++i) {
        const Control* c = &m->controls[i];
        fprintf(f, "%s%s\t%s", c->readOnly ? "ro " : "", c->isEnum ? "enum" : "int", c->name);
        if (c->isEnum) {
            fprintf(f, "\t%ld", c->values[0]);
            for (int k = 0; k < c->itemCount; ++k)
                fprintf(f, "\t%s", c->items[k]);
        } else {
            fprintf(f, "\t%ld\t%ld", c->minimum, c->maximum);
            for (int k = 0; k < c->valueCount; ++k)
                fprintf(f, "\t%ld", c->values[k]);
        }
        fputc('\n', f);
    }
    if (fclose(f) != 0)
        return -EIO;
    return rename(temp, m->path) == 0 ? 0 : -EIO;
}

static Control* control(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key)
{
    Mixer* m = ext->private_data;
    return key < (snd_ctl_ext_key_t)m->count ? &m->controls[key] : NULL;
}

static void mixerClose(snd_ctl_ext_t* ext)
{
    Mixer* m = ext->private_data;
    close(ext->poll_fd);
    free(m);
}

static int elemCount(snd_ctl_ext_t* ext)
{
    return ((Mixer*)ext->private_data)->count;
}

static int elemList(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id)
{
    Control* c = control(ext, offset);
    if (!c)
        return -EINVAL;
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, c->name);
    return 0;
}

static snd_ctl_ext_key_t findElem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id)
{
    Mixer* m = ext->private_data;
    const char* name = snd_ctl_elem_id_get_name(id);
    for (int i = 0; i < m->count; ++i)
        if (!strcmp(m->controls[i].name, name))
            return (snd_ctl_ext_key_t)i;
    return SND_CTL_EXT_KEY_NOT_FOUND;
}

static int getAttribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* acc, unsigned int* count)
{
    Control* c = control(ext, key);
    if (!c)
        return -EINVAL;
    *type = c->isEnum ? SND_CTL_ELEM_TYPE_ENUMERATED : SND_CTL_ELEM_TYPE_INTEGER;
    *acc = SND_CTL_EXT_ACCESS_READWRITE;
    *count = (unsigned int)c->valueCount;
    return 0;
}

static int getIntegerInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* imin, long* imax, long* istep)
{
    Control* c = control(ext, key);
    if (!c)
        return -EINVAL;
    *imin = c->minimum;
    *imax = c->maximum;
    *istep = 1;
    return 0;
}

static int getEnumeratedInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned int* items)
{
    Control* c = control(ext, key);
    if (!c)
        return -EINVAL;
    *items = (unsigned int)c->itemCount;
    return 0;
}

static int getEnumeratedName(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned int item, char* name,
                             size_t max)
{
    Control* c = control(ext, key);
    if (!c || item >= (unsigned int)c->itemCount)
        return -EINVAL;
    snprintf(name, max, "%s", c->items[item]);
    return 0;
}

static int readInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value)
{
    Control* c = control(ext, key);
    if (!c)
        return -EINVAL;
    for (int i = 0; i < c->valueCount; ++i)
        value[i] = c->values[i];
    return 0;
}

static int writeInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value)
{
    Control* c = control(ext, key);
    if (!c)
        return -EINVAL;
    if (c->readOnly)
        return -EPERM;
    int changed = 0;
    for (int i = 0; i < c->valueCount; ++i) {
        if (value[i] < c->minimum || value[i] > c->maximum)
            return -EINVAL;
        changed |= c->values[i] != value[i];
        c->values[i] = value[i];
    }
    int err = saveState(ext->private_data);
    return err < 0 ? err : changed;
}

static int readEnumerated(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned int* items)
{
    Control* c = control(ext, key);
    if (!c)
        return -EINVAL;
    items[0] = (unsigned int)c->values[0];
    return 0;
}

static int writeEnumerated(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned int* items)
{
    Control* c = control(ext, key);
    if (!c)
        return -EINVAL;
    if (c->readOnly)
        return -EPERM;
    if (items[0] >= (unsigned int)c->itemCount)
        return -EINVAL;
    int changed = c->values[0] != (long)items[0];
    c->values[0] = items[0];
    int err = saveState(ext->private_data);
    return err < 0 ? err : changed;
}

static int readEvent(snd_ctl_ext_t* ext, snd_ctl_elem_id_t* id, unsigned int* mask)
{
    (void)ext;
    (void)id;
    (void)mask;
    return -EAGAIN;
}

static const snd_ctl_ext_callback_t mixerCallbacks = {
    .close = mixerClose,
    .elem_count = elemCount,
    .elem_list = elemList,
    .find_elem = findElem,
    .get_attribute = getAttribute,
    .get_integer_info = getIntegerInfo,
    .get_enumerated_info = getEnumeratedInfo,
    .get_enumerated_name = getEnumeratedName,
    .read_integer = readInteger,
    .read_enumerated = readEnumerated,
    .write_integer = writeInteger,
    .write_enumerated = writeEnumerated,
    .read_event = readEvent,
};

SND_CTL_PLUGIN_DEFINE_FUNC(quillon_test)
{
    (void)root;
    const char* state = NULL;
    snd_config_iterator_t i, next;
    snd_config_for_each(i, next, conf) {
        snd_config_t* n = snd_config_iterator_entry(i);
        const char* id;
        if (snd_config_get_id(n, &id) < 0)
            continue;
        if (!strcmp(id, "comment") || !strcmp(id, "type") || !strcmp(id, "hint"))
            continue;
        if (!strcmp(id, "state")) {
            if (snd_config_get_string(n, &state) < 0)
                return -EINVAL;
            continue;
        }
        SNDERR("Unknown field %s", id);
        return -EINVAL;
    }
    if (!state)
        return -EINVAL;

    Mixer* m = calloc(1, sizeof *m);
    if (!m)
        return -ENOMEM;
    snprintf(m->path, sizeof m->path, "%s", state);
    int err = loadState(m);
    if (err < 0) {
        free(m);
        return err;
    }
    m->ext.version = SND_CTL_EXT_VERSION;
    m->ext.card_idx = 0;
    snprintf(m->ext.id, sizeof m->ext.id, "QuillonTest");
    snprintf(m->ext.driver, sizeof m->ext.driver, "quillon_test");
    snprintf(m->ext.name, sizeof m->ext.name, "Test mixer");
    snprintf(m->ext.longname, sizeof m->ext.longname, "Test mixer from a control file");
    snprintf(m->ext.mixername, sizeof m->ext.mixername, "Test mixer");
    m->ext.poll_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m->ext.callback = &mixerCallbacks;
    m->ext.private_data = m;
    err = snd_ctl_ext_create(&m->ext, name, mode);
    if (err < 0) {
        close(m->ext.poll_fd);
        free(m);
        return err;
    }
    *handlep = m->ext.handle;
    return 0;
}
SND_CTL_PLUGIN_SYMBOL(quillon_test);
