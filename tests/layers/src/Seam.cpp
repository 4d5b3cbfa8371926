// An interface the window passes in may have methods of the same names.
struct Asker {
    virtual bool AskConfirm(int) = 0;
};
bool Decide(Asker& asker, Asker* other) {
    return asker.AskConfirm(1) && other->AskConfirm(2);
}
