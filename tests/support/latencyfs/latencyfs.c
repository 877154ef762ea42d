/* latencyfs: a passthrough file system that answers every request after a fixed delay, as a
 * file server behind a slow network does, and counts the requests it answered.
 *
 *   latencyfs SOURCE MOUNTPOINT [--delay-us=N] [--cache=none|attr] [FUSE options, e.g. -f]
 *
 * --cache=none  the kernel keeps nothing: every lookup, attribute and read reaches us (the
 *               worst case);
 * --cache=attr  names and attributes are kept for a short time and file data while a file is
 *               open, as an SMB client does.
 *
 * The file ".latencyfs-ops" in the root of the mount (not listed, not delayed, not counted)
 * reads as "<operations>\n". Unmount with `fusermount3 -u MOUNTPOINT`. */
#define FUSE_USE_VERSION 314
#define _GNU_SOURCE

#include <fuse3/fuse.h>
#include <fuse3/fuse_lowlevel.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdatomic.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

static const char kCounterPath[] = "/.latencyfs-ops";

static struct {
    int source; /* directory descriptor of SOURCE */
    char *sourcePath;
    long delayUs;
    char *cache;
    atomic_ullong operations;
} fs;

static const struct fuse_opt kOptions[] = {
    {"--delay-us=%ld", offsetof(__typeof__(fs), delayUs), 0},
    {"--cache=%s", offsetof(__typeof__(fs), cache), 0},
    FUSE_OPT_END,
};

/* One request: counted, then answered after the delay. */
static void request(void)
{
    atomic_fetch_add(&fs.operations, 1);
    if (fs.delayUs <= 0)
        return;
    struct timespec wait = {fs.delayUs / 1000000, (fs.delayUs % 1000000) * 1000};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

/* File handles are descriptors + 1: 0 marks the counter file. */
#define FD(fi) ((int)(fi)->fh - 1)

static int isCounter(const char *path)
{
    return strcmp(path, kCounterPath) == 0;
}

/* The path below SOURCE: "." for the root, else without its leading slash. */
static const char *rel(const char *path)
{
    return path[1] == '\0' ? "." : path + 1;
}

static int result(int rc)
{
    return rc < 0 ? -errno : rc;
}

static void *lfsInit(struct fuse_conn_info *conn, struct fuse_config *cfg)
{
    /* Requests go side by side, as a server answers them: lookups in one directory, and
     * many reads ahead and closes at once (the kernel's default allows twelve). */
    if (conn->capable & FUSE_CAP_PARALLEL_DIROPS)
        conn->want |= FUSE_CAP_PARALLEL_DIROPS;
    conn->max_background = 256;
    conn->congestion_threshold = 192;
    const int attr = fs.cache != NULL && strcmp(fs.cache, "attr") == 0;
    cfg->entry_timeout = attr ? 2.0 : 0.0;
    cfg->attr_timeout = attr ? 2.0 : 0.0;
    cfg->negative_timeout = attr ? 2.0 : 0.0;
    cfg->direct_io = attr ? 0 : 1;
    cfg->kernel_cache = 0;
    cfg->use_ino = 1;
    return NULL;
}

static int lfsGetattr(const char *path, struct stat *st, struct fuse_file_info *fi)
{
    if (path != NULL && isCounter(path)) {
        memset(st, 0, sizeof *st);
        st->st_mode = S_IFREG | 0444;
        st->st_ino = (ino_t)-2;
        st->st_nlink = 1;
        st->st_size = 32;
        return 0;
    }
    request();
    if (fi != NULL && fi->fh != 0)
        return result(fstat(FD(fi), st));
    return result(fstatat(fs.source, rel(path), st, AT_SYMLINK_NOFOLLOW));
}

static int lfsAccess(const char *path, int mask)
{
    if (isCounter(path))
        return (mask & W_OK) != 0 ? -EACCES : 0;
    request();
    return result(faccessat(fs.source, rel(path), mask, 0));
}

static int lfsReadlink(const char *path, char *buf, size_t size)
{
    request();
    const ssize_t n = readlinkat(fs.source, rel(path), buf, size - 1);
    if (n < 0)
        return -errno;
    buf[n] = '\0';
    return 0;
}

static int lfsOpendir(const char *path, struct fuse_file_info *fi)
{
    request();
    const int fd = openat(fs.source, rel(path), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return -errno;
    DIR *dir = fdopendir(fd);
    if (dir == NULL) {
        const int error = errno;
        close(fd);
        return -error;
    }
    fi->fh = (uint64_t)(uintptr_t)dir;
    return 0;
}

static int lfsReaddir(const char *path, void *buf, fuse_fill_dir_t fill, off_t offset,
                      struct fuse_file_info *fi, enum fuse_readdir_flags flags)
{
    (void)path;
    (void)offset;
    (void)flags;
    request();
    DIR *dir = (DIR *)(uintptr_t)fi->fh;
    rewinddir(dir);
    for (struct dirent *entry = readdir(dir); entry != NULL; entry = readdir(dir)) {
        struct stat st;
        memset(&st, 0, sizeof st);
        st.st_ino = entry->d_ino;
        st.st_mode = (mode_t)DTTOIF(entry->d_type);
        if (fill(buf, entry->d_name, &st, 0, 0) != 0)
            break;
    }
    return 0;
}

static int lfsReleasedir(const char *path, struct fuse_file_info *fi)
{
    (void)path;
    request();
    closedir((DIR *)(uintptr_t)fi->fh);
    return 0;
}

static int lfsOpen(const char *path, struct fuse_file_info *fi)
{
    if (isCounter(path)) {
        fi->direct_io = 1;
        fi->fh = 0;
        return 0;
    }
    request();
    const int fd = openat(fs.source, rel(path), fi->flags & ~O_NOFOLLOW);
    if (fd < 0)
        return -errno;
    fi->fh = (uint64_t)fd + 1;
    return 0;
}

static int lfsCreate(const char *path, mode_t mode, struct fuse_file_info *fi)
{
    request();
    const int fd = openat(fs.source, rel(path), fi->flags, mode);
    if (fd < 0)
        return -errno;
    fi->fh = (uint64_t)fd + 1;
    return 0;
}

static int lfsRead(const char *path, char *buf, size_t size, off_t offset,
                   struct fuse_file_info *fi)
{
    if (fi->fh == 0 && path != NULL && isCounter(path)) {
        char text[32];
        const int length =
            snprintf(text, sizeof text, "%llu\n", (unsigned long long)atomic_load(&fs.operations));
        if (offset >= length)
            return 0;
        const size_t n = (size_t)(length - offset) < size ? (size_t)(length - offset) : size;
        memcpy(buf, text + offset, n);
        return (int)n;
    }
    request();
    const ssize_t n = pread(FD(fi), buf, size, offset);
    return n < 0 ? -errno : (int)n;
}

static int lfsWrite(const char *path, const char *buf, size_t size, off_t offset,
                    struct fuse_file_info *fi)
{
    (void)path;
    request();
    const ssize_t n = pwrite(FD(fi), buf, size, offset);
    return n < 0 ? -errno : (int)n;
}

static int lfsFlush(const char *path, struct fuse_file_info *fi)
{
    (void)path;
    if (fi->fh == 0)
        return 0;
    request();
    return 0;
}

static int lfsRelease(const char *path, struct fuse_file_info *fi)
{
    (void)path;
    if (fi->fh == 0)
        return 0;
    request();
    close(FD(fi));
    return 0;
}

static int lfsFsync(const char *path, int datasync, struct fuse_file_info *fi)
{
    (void)path;
    request();
    return result(datasync ? fdatasync(FD(fi)) : fsync(FD(fi)));
}

static int lfsMkdir(const char *path, mode_t mode)
{
    request();
    return result(mkdirat(fs.source, rel(path), mode));
}

static int lfsUnlink(const char *path)
{
    request();
    return result(unlinkat(fs.source, rel(path), 0));
}

static int lfsRmdir(const char *path)
{
    request();
    return result(unlinkat(fs.source, rel(path), AT_REMOVEDIR));
}

static int lfsSymlink(const char *target, const char *path)
{
    request();
    return result(symlinkat(target, fs.source, rel(path)));
}

static int lfsRename(const char *from, const char *to, unsigned int flags)
{
    request();
    return result(renameat2(fs.source, rel(from), fs.source, rel(to), flags));
}

static int lfsChmod(const char *path, mode_t mode, struct fuse_file_info *fi)
{
    request();
    if (fi != NULL && fi->fh != 0)
        return result(fchmod(FD(fi), mode));
    return result(fchmodat(fs.source, rel(path), mode, 0));
}

static int lfsChown(const char *path, uid_t uid, gid_t gid, struct fuse_file_info *fi)
{
    request();
    if (fi != NULL && fi->fh != 0)
        return result(fchown(FD(fi), uid, gid));
    return result(fchownat(fs.source, rel(path), uid, gid, AT_SYMLINK_NOFOLLOW));
}

static int lfsTruncate(const char *path, off_t size, struct fuse_file_info *fi)
{
    request();
    if (fi != NULL && fi->fh != 0)
        return result(ftruncate(FD(fi), size));
    const int fd = openat(fs.source, rel(path), O_WRONLY);
    if (fd < 0)
        return -errno;
    const int rc = result(ftruncate(fd, size));
    close(fd);
    return rc;
}

static int lfsUtimens(const char *path, const struct timespec tv[2], struct fuse_file_info *fi)
{
    request();
    if (fi != NULL && fi->fh != 0)
        return result(futimens(FD(fi), tv));
    return result(utimensat(fs.source, rel(path), tv, AT_SYMLINK_NOFOLLOW));
}

static int lfsStatfs(const char *path, struct statvfs *st)
{
    (void)path;
    request();
    return result(fstatvfs(fs.source, st));
}

static const struct fuse_operations kOperations = {
    .getattr = lfsGetattr,
    .readlink = lfsReadlink,
    .mkdir = lfsMkdir,
    .unlink = lfsUnlink,
    .rmdir = lfsRmdir,
    .symlink = lfsSymlink,
    .rename = lfsRename,
    .chmod = lfsChmod,
    .chown = lfsChown,
    .truncate = lfsTruncate,
    .open = lfsOpen,
    .read = lfsRead,
    .write = lfsWrite,
    .statfs = lfsStatfs,
    .flush = lfsFlush,
    .release = lfsRelease,
    .fsync = lfsFsync,
    .opendir = lfsOpendir,
    .readdir = lfsReaddir,
    .releasedir = lfsReleasedir,
    .init = lfsInit,
    .access = lfsAccess,
    .create = lfsCreate,
    .utimens = lfsUtimens,
};

/* The first two plain arguments are SOURCE and MOUNTPOINT; SOURCE is ours, the rest FUSE's. */
static int takeSource(void *data, const char *arg, int key, struct fuse_args *args)
{
    (void)data;
    (void)args;
    if (key == FUSE_OPT_KEY_NONOPT && fs.sourcePath == NULL) {
        fs.sourcePath = realpath(arg, NULL);
        if (fs.sourcePath == NULL) {
            fprintf(stderr, "latencyfs: %s: %s\n", arg, strerror(errno));
            exit(2);
        }
        return 0;
    }
    return 1;
}

/* Mounts and answers until unmounted. Requests wait side by side, as they do on a server: as
 * many threads as requests come. */
static int serve(struct fuse_args *args)
{
    struct fuse_cmdline_opts opts;
    if (fuse_parse_cmdline(args, &opts) != 0 || opts.mountpoint == NULL) {
        fprintf(stderr, "latencyfs: no mount point\n");
        return 2;
    }
    /* In the foreground it belongs to whoever started it (a test, a benchmark): when that one
     * ends, even by a crash, the mount goes too instead of staying behind. */
    if (opts.foreground)
        prctl(PR_SET_PDEATHSIG, SIGTERM);
    int rc = 1;
    struct fuse *fuse = fuse_new(args, &kOperations, sizeof kOperations, NULL);
    if (fuse != NULL && fuse_mount(fuse, opts.mountpoint) == 0) {
        if (fuse_daemonize(opts.foreground) == 0 &&
            fuse_set_signal_handlers(fuse_get_session(fuse)) == 0) {
            struct fuse_loop_config *loop = fuse_loop_cfg_create();
            fuse_loop_cfg_set_max_threads(loop, 512);
            fuse_loop_cfg_set_idle_threads(loop, 512);
            rc = fuse_loop_mt(fuse, loop) == 0 ? 0 : 1;
            fuse_loop_cfg_destroy(loop);
            fuse_remove_signal_handlers(fuse_get_session(fuse));
        }
        fuse_unmount(fuse);
    }
    if (fuse != NULL)
        fuse_destroy(fuse);
    free(opts.mountpoint);
    return rc;
}

int main(int argc, char *argv[])
{
    struct fuse_args args = FUSE_ARGS_INIT(argc, argv);
    if (fuse_opt_parse(&args, &fs, kOptions, takeSource) != 0)
        return 2;
    if (fs.sourcePath == NULL ||
        (fs.cache != NULL && strcmp(fs.cache, "none") != 0 && strcmp(fs.cache, "attr") != 0)) {
        fprintf(stderr, "usage: latencyfs SOURCE MOUNTPOINT [--delay-us=N] [--cache=none|attr] "
                        "[FUSE options]\n");
        return 2;
    }
    fs.source = open(fs.sourcePath, O_RDONLY | O_DIRECTORY);
    if (fs.source < 0) {
        fprintf(stderr, "latencyfs: %s: %s\n", fs.sourcePath, strerror(errno));
        return 2;
    }
    /* Others may use the mount (tests run as root, the launcher perhaps as another user).
     * Permissions are the source's own, checked by the server's calls: the kernel asking for
     * every directory's attributes on each path walk is no request a file server gets. */
    if (getuid() == 0) {
        fuse_opt_add_arg(&args, "-o");
        fuse_opt_add_arg(&args, "allow_other");
    }
    const int rc = serve(&args);
    fuse_opt_free_args(&args);
    close(fs.source);
    free(fs.sourcePath);
    return rc;
}
