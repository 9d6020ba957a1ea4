// Placeholder so that the library exists before its first sources land; removed with them.
namespace quorvel {
void designer_module_anchor() {}
} // namespace quorvel
