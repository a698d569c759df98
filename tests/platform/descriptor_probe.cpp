// Stands in for a program the platform layer starts (xdg-open): writes its
// arguments and the descriptors it inherited to the file named by
// DALMORA_PROBE_RECORD, so a test sees exactly what the started program got.
#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

int main(int argc, char** argv)
{
    std::set<int> descriptors;
    if (DIR* folder = opendir("/proc/self/fd")) {
        while (dirent* entry = readdir(folder)) {
            if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != dirfd(folder))
                descriptors.insert(std::atoi(entry->d_name));
        }
        closedir(folder);
    }
    const char* record = std::getenv("DALMORA_PROBE_RECORD");
    if (record == nullptr)
        return 2;
    std::string part = std::string(record) + ".part";
    {
        std::ofstream out(part);
        out << "arguments=" << argc - 1 << "\n";
        for (int i = 1; i < argc; ++i)
            out << "argument=" << argv[i] << "\n";
        out << "descriptors=";
        for (int descriptor : descriptors)
            out << descriptor << ";";
        out << "\n";
    }
    return std::rename(part.c_str(), record) == 0 ? 0 : 1;
}
