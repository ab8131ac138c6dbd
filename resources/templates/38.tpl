<!-- default row 38: written with its page kind -->
