unsigned AskConfirm(const char*, unsigned);
void ShowBalloon(int);
bool Remove() {
    if (AskConfirm("Видалити?", 3) != 1) {
        ShowBalloon(1);
        return false;
    }
    return true;
}
