// Builds the document model from a gumbo tree: forms in tree order, their listed elements
// with form owners as the tree builder assigns them, base URL and target, and the initial
// state of every control.
#pragma once

class GumboTree;
class HtmlDocument;

class HtmlTreeReader {
public:
    static void read(HtmlDocument &document, const GumboTree &tree);

private:
    class Reader;
};
