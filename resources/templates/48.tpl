<!-- default row 48: written with its page kind -->
