// The library that carries the directory as the resource ":/RCD"; linking it is what puts it in a program.
namespace vg {
bool DirectoryResourceLinked() {
    return true;
}
} // namespace vg
