// Keeps the library non-empty until its first widget arrives.
namespace widgets_detail {
int placeholder() { return 0; }
} // namespace widgets_detail
