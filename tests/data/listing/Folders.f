":"
":\Docs"
