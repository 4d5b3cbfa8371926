void ShowError(int);
void Talk() {
    ShowError(1);
}
