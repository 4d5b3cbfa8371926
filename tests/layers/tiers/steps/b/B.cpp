/** A consumer of the model beside "a". */
int BValue() {
    return 3;
}
